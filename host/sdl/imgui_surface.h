// One Dear ImGui context bound to one SDL window and its renderer, with ImGui's SDL2 and
// SDL renderer back-ends.
//
// Every window of the program that shows ImGui widgets (the main window's menu bar, each
// information window) has its own context, so that each keeps its own input state and
// draw data; the surface makes its context current around everything it does. The widgets
// themselves are issued by the front end between beginFrame and endFrame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <SDL.h>

struct ImGuiContext;
struct ImDrawData;

namespace ollendor {

class ImGuiSurface {
    bool closeAsked = false;
public:
    // Throws DynamicError when the ImGui back-ends cannot be set up.
    // Widgets at scale (1: ImGui's own font of 13 pixels and its sizes).
    ImGuiSurface(SDL_Window* window, SDL_Renderer* renderer, double scale = 1.0);
    ~ImGuiSurface();
    ImGuiSurface(const ImGuiSurface&) = delete;
    ImGuiSurface& operator=(const ImGuiSurface&) = delete;

    // Hands an event of this window to ImGui and notes that a frame is due.
    void processEvent(const SDL_Event& event);
    // Whether input arrived since the last frame, or the frame after it is still to come
    // (a click that came and went between two frames needs both to be seen).
    bool framePending() const { return pendingFrames > 0; }
    // A text field in this context has the keyboard (as of the last frame).
    bool wantsKeyboard() const;
    // A digest of what the last frame draws: equal digests draw the same picture.
    uint64_t drawDigest() const;
    // Whether the last frame drew anything that touches the area (by what its triangles
    // cover within their clip rectangles).
    bool drawsIn(const SDL_Rect& area) const;
    // Where the frames since the last call drew differently from the frame before them
    // (each window of the widgets is compared as a whole: where it was and where it is);
    // everything, when windows came, went or changed their order. Then the window is
    // looked on as current again.
    struct Damage {
        bool everything = false;
        std::vector<SDL_Rect> areas;
    };
    Damage takeDamage();
    // How a texture the widgets draw looks now (a count that moves when its pixels change):
    // a window whose picture changed is damaged although its triangles are the same.
    void setTextureVersions(std::function<uint64_t(void* texture)> versions) { textureVersions = std::move(versions); }
    // A menu, or a dialog drawn as a popup, is open.
    bool popupOpen() const;
    // Closes every open menu and popup dialog at the next frame (Escape).
    void closePopups()
    {
        closeAsked = true;
        requestFrame();
    }
    // Asks for one more frame although no input came (what the last frame drew is stale).
    void requestFrame()
    {
        if (pendingFrames < 1)
            pendingFrames = 1;
    }

    // Starts a frame: the context becomes current and widgets may be issued until endFrame.
    void beginFrame();
    void endFrame();
    // Draws the last finished frame with the renderer.
    void draw();
    // Draws only what falls in the area (the renderer's clip rectangle is left unset).
    void drawIn(const SDL_Rect& area);

private:
    // What one window of the widgets (one draw list) drew in a frame.
    struct ListShape {
        std::string owner;              // the window's name
        uint64_t hash = 0;              // of its triangles, clips and textures
        SDL_Rect bounds{0, 0, 0, 0};    // what it covers
        std::vector<SDL_Rect> commands; // what each command covers
    };
    void noteShapes();

    std::vector<ListShape> shapes;     // of the last frame
    Damage damage;                     // since takeDamage
    std::function<uint64_t(void*)> textureVersions;
    ImGuiContext* context;   // this window's ImGui state
    ImGuiContext* previous;  // the context that was current before beginFrame
    SDL_Renderer* sdlRenderer; // the window's renderer the widgets are drawn with
    int pendingFrames = 1;   // frames still due because of input (the first frame too)
};

} // namespace ollendor
