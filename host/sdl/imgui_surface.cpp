#include "host/sdl/imgui_surface.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cmath>

#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>
#include "host/toolkit.h"

namespace ollendor {

namespace {
// Makes a context current for the life of the scope.
class CurrentContext {
public:
    explicit CurrentContext(ImGuiContext* context) : previous(ImGui::GetCurrentContext())
    {
        ImGui::SetCurrentContext(context);
    }
    ~CurrentContext() { ImGui::SetCurrentContext(previous); }

private:
    ImGuiContext* previous;
};
} // namespace

ImGuiSurface::ImGuiSurface(SDL_Window* window, SDL_Renderer* renderer, double scale)
    : context(ImGui::CreateContext()), previous(nullptr), sdlRenderer(renderer)
{
    CurrentContext current(context);
    ImGui::GetIO().IniFilename = nullptr; // nothing is kept between runs
    ImGui::StyleColorsLight();
    // Menus, dialogs and views opaque, so the emulated picture never shows through their
    // text; highlights light enough that black and grey text stay readable on them.
    ImVec4* colours = ImGui::GetStyle().Colors;
    for (ImGuiCol part : {ImGuiCol_WindowBg, ImGuiCol_PopupBg, ImGuiCol_MenuBarBg, ImGuiCol_ChildBg})
        colours[part].w = 1.0f;
    colours[ImGuiCol_ChildBg] = colours[ImGuiCol_WindowBg];
    colours[ImGuiCol_HeaderHovered] = ImVec4(0.72f, 0.84f, 1.00f, 1.00f);
    colours[ImGuiCol_HeaderActive] = ImVec4(0.60f, 0.76f, 0.98f, 1.00f);
    colours[ImGuiCol_Header] = ImVec4(0.80f, 0.88f, 1.00f, 1.00f);
    if (scale != 1.0) {
        // The font drawn at that size (not stretched, which blurs it), and every size with it.
        ImFontConfig font;
        font.SizePixels = float(13.0 * scale);
        ImGui::GetIO().Fonts->AddFontDefault(&font);
        ImGui::GetStyle().ScaleAllSizes(float(scale));
    }
    if (!ImGui_ImplSDL2_InitForSDLRenderer(window)) {
        ImGui::DestroyContext(context);
        throw DynamicError("ImGui_ImplSDL2_InitForSDLRenderer failed");
    }
    if (!ImGui_ImplSDLRenderer_Init(renderer)) {
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(context);
        throw DynamicError("ImGui_ImplSDLRenderer_Init failed");
    }
}

ImGuiSurface::~ImGuiSurface()
{
    {
        CurrentContext current(context);
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
    }
    ImGui::DestroyContext(context);
}

void ImGuiSurface::processEvent(const SDL_Event& event)
{
    CurrentContext current(context);
    ImGui_ImplSDL2_ProcessEvent(&event);
    pendingFrames = 2;
}

bool ImGuiSurface::wantsKeyboard() const
{
    CurrentContext current(context);
    return ImGui::GetIO().WantTextInput;
}

bool ImGuiSurface::popupOpen() const
{
    CurrentContext current(context);
    return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

void ImGuiSurface::beginFrame()
{
    previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(context);
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    if (closeAsked && ImGui::GetCurrentContext()->OpenPopupStack.Size > 0)
        ImGui::ClosePopupToLevel(0, true);
    closeAsked = false;
}

void ImGuiSurface::endFrame()
{
    ImGui::Render();
    noteShapes();
    ImGui::SetCurrentContext(previous);
    if (pendingFrames > 0)
        --pendingFrames;
}

namespace {

// FNV-1a.
void mixInto(uint64_t& hash, const void* bytes, size_t size)
{
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ p[i]) * 1099511628211ull;
}

bool meets(const SDL_Rect& a, const SDL_Rect& b)
{
    return a.w > 0 && a.h > 0 && b.w > 0 && b.h > 0 && a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h &&
           b.y < a.y + a.h;
}

SDL_Rect unite(const SDL_Rect& a, const SDL_Rect& b)
{
    if (a.w <= 0 || a.h <= 0)
        return b;
    if (b.w <= 0 || b.h <= 0)
        return a;
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
    return SDL_Rect{x0, y0, x1 - x0, y1 - y0};
}

// The pixels a command's triangles may touch within its clip rectangle (empty: none).
SDL_Rect commandCover(const ImDrawList& list, const ImDrawCmd& command)
{
    const ImVec4& clip = command.ClipRect;
    if (command.ElemCount == 0 || command.UserCallback)
        return SDL_Rect{0, 0, 0, 0};
    float x0 = clip.z, y0 = clip.w, x1 = clip.x, y1 = clip.y;
    const ImDrawIdx* indices = list.IdxBuffer.Data + command.IdxOffset;
    const ImDrawVert* vertices = list.VtxBuffer.Data + command.VtxOffset;
    for (unsigned i = 0; i < command.ElemCount; ++i) {
        const ImVec2& p = vertices[indices[i]].pos;
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    const int left = int(std::floor(std::max(x0, clip.x))), top = int(std::floor(std::max(y0, clip.y)));
    const int right = int(std::ceil(std::min(x1, clip.z))), bottom = int(std::ceil(std::min(y1, clip.w)));
    if (right <= left || bottom <= top)
        return SDL_Rect{0, 0, 0, 0};
    return SDL_Rect{left, top, right - left, bottom - top};
}

} // namespace

void ImGuiSurface::noteShapes()
{
    const ImDrawData* data = ImGui::GetDrawData();
    std::vector<ListShape> now;
    if (data)
        for (int index = 0; index < data->CmdListsCount; ++index) {
            const ImDrawList& list = *data->CmdLists[index];
            ListShape shape;
            shape.owner = list._OwnerName ? list._OwnerName : "";
            uint64_t hash = 1469598103934665603ull;
            mixInto(hash, list.VtxBuffer.Data, size_t(list.VtxBuffer.Size) * sizeof(ImDrawVert));
            mixInto(hash, list.IdxBuffer.Data, size_t(list.IdxBuffer.Size) * sizeof(ImDrawIdx));
            for (const ImDrawCmd& command : list.CmdBuffer) {
                mixInto(hash, &command.ClipRect, sizeof command.ClipRect);
                mixInto(hash, &command.TextureId, sizeof command.TextureId);
                mixInto(hash, &command.ElemCount, sizeof command.ElemCount);
                mixInto(hash, &command.IdxOffset, sizeof command.IdxOffset);
                mixInto(hash, &command.VtxOffset, sizeof command.VtxOffset);
                if (textureVersions && command.ElemCount > 0) {
                    const uint64_t version = textureVersions(command.GetTexID());
                    mixInto(hash, &version, sizeof version);
                }
                shape.commands.push_back(commandCover(list, command));
                shape.bounds = unite(shape.bounds, shape.commands.back());
            }
            shape.hash = hash;
            now.push_back(std::move(shape));
        }
    // Windows compared by name in drawing order; another order (a window came, went or
    // was brought forward) may change any overlap, so it counts as everything.
    bool sameOrder = now.size() == shapes.size();
    for (size_t i = 0; sameOrder && i < now.size(); ++i)
        sameOrder = now[i].owner == shapes[i].owner;
    if (!sameOrder) {
        damage.everything = true;
    } else {
        for (size_t i = 0; i < now.size(); ++i) {
            const ListShape& was = shapes[i];
            const ListShape& is = now[i];
            if (was.hash == is.hash && was.bounds.x == is.bounds.x && was.bounds.y == is.bounds.y &&
                was.bounds.w == is.bounds.w && was.bounds.h == is.bounds.h)
                continue;
            for (const SDL_Rect& area : {was.bounds, is.bounds})
                if (area.w > 0 && area.h > 0)
                    damage.areas.push_back(area);
        }
    }
    // Many places over frames nobody presented (or a window that draws everything itself,
    // as an information window does): the whole window, held in one flag.
    if (damage.areas.size() > 64) {
        damage.everything = true;
        damage.areas.clear();
    }
    shapes = std::move(now);
}

ImGuiSurface::Damage ImGuiSurface::takeDamage()
{
    Damage taken = std::move(damage);
    damage = Damage{};
    return taken;
}

uint64_t ImGuiSurface::drawDigest() const
{
    // The windows' hashes in order: equal when every window draws the same.
    uint64_t hash = 1469598103934665603ull;
    for (const ListShape& shape : shapes) {
        mixInto(hash, &shape.hash, sizeof shape.hash);
        mixInto(hash, &shape.bounds, sizeof shape.bounds);
    }
    return hash;
}

bool ImGuiSurface::drawsIn(const SDL_Rect& area) const
{
    for (const ListShape& shape : shapes)
        if (meets(shape.bounds, area))
            for (const SDL_Rect& command : shape.commands)
                if (meets(command, area))
                    return true;
    return false;
}

void ImGuiSurface::drawIn(const SDL_Rect& area)
{
    CurrentContext current(context);
    const ImDrawData* data = ImGui::GetDrawData();
    if (!data || int(shapes.size()) != data->CmdListsCount)
        return;
    SDL_Renderer* renderer = sdlRenderer;
    // As the SDL renderer back-end draws, for the commands that touch the area, each clipped
    // to it as well (the coordinates are the renderer's: this window has no scaling).
    for (int index = 0; index < data->CmdListsCount; ++index) {
        const ImDrawList& list = *data->CmdLists[index];
        const ListShape& shape = shapes[size_t(index)];
        if (!meets(shape.bounds, area))
            continue;
        for (int i = 0; i < list.CmdBuffer.Size; ++i) {
            const ImDrawCmd& command = list.CmdBuffer[i];
            if (!meets(shape.commands[size_t(i)], area))
                continue;
            const SDL_Rect clip{int(command.ClipRect.x), int(command.ClipRect.y),
                                int(command.ClipRect.z - command.ClipRect.x), int(command.ClipRect.w - command.ClipRect.y)};
            SDL_Rect both;
            if (!SDL_IntersectRect(&clip, &area, &both))
                continue;
            SDL_RenderSetClipRect(renderer, &both);
            const ImDrawVert* vertices = list.VtxBuffer.Data + command.VtxOffset;
            SDL_RenderGeometryRaw(renderer, static_cast<SDL_Texture*>(command.GetTexID()),
                                  reinterpret_cast<const float*>(&vertices->pos), int(sizeof(ImDrawVert)),
                                  reinterpret_cast<const SDL_Color*>(&vertices->col), int(sizeof(ImDrawVert)),
                                  reinterpret_cast<const float*>(&vertices->uv), int(sizeof(ImDrawVert)),
                                  list.VtxBuffer.Size - int(command.VtxOffset), list.IdxBuffer.Data + command.IdxOffset,
                                  int(command.ElemCount), int(sizeof(ImDrawIdx)));
        }
    }
    SDL_RenderSetClipRect(renderer, nullptr);
}

void ImGuiSurface::draw()
{
    CurrentContext current(context);
    if (ImDrawData* data = ImGui::GetDrawData())
        ImGui_ImplSDLRenderer_RenderDrawData(data);
}

} // namespace ollendor
