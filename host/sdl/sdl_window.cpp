#include "host/sdl/sdl_window.h"

#include <algorithm>

#include "host/sdl/sdl_error.h"
#include "host/window_frame.h"
#include "host/sdl/sdl_renderer.h"

namespace ollendor {

namespace {
constexpr Uint64 idleMenuFrameMillis = 100; // menu frames without input: ten a second
} // namespace

SdlWindow::SdlWindow(const std::string& title, int clientWidth, int clientHeight)
{
    // Hidden until it has its renderer: a renderer that needs other window properties (GL)
    // makes SDL destroy the window and make it again, which would show as a window that
    // comes, goes and comes back.
    sdlWindow = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                 clientWidth, clientHeight, SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (!sdlWindow)
        throw DynamicError(std::string("could not create window (SDL_CreateWindow: ") +
                           SDL_GetError() + ")");
    sdlRenderer = createWindowRenderer(sdlWindow);
    if (!sdlRenderer) {
        std::string reason = SDL_GetError();
        SDL_DestroyWindow(sdlWindow);
        throw DynamicError("could not create window (SDL_CreateRenderer: " + reason + ")");
    }
    SDL_ShowWindow(sdlWindow);
}

SdlWindow::~SdlWindow()
{
    SDL_DestroyRenderer(sdlRenderer);
    SDL_DestroyWindow(sdlWindow);
}

void SdlWindow::setFullscreen(bool fullscreen)
{
    const bool isFullscreen = (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN) != 0;
    if (fullscreen == isFullscreen)
        return;
    if (fullscreen) {
        SDL_GetWindowSize(sdlWindow, &windowedWidth, &windowedHeight);
        SDL_GetWindowPosition(sdlWindow, &windowedX, &windowedY);
    }
    if (SDL_SetWindowFullscreen(sdlWindow, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        throwSdlError("SDL_SetWindowFullscreen");
    // Back in a window, ask for the earlier size again: without a window manager to answer
    // the full-screen request, SDL would otherwise keep the screen's size for the window.
    if (!fullscreen && windowedWidth > 0)
        SDL_SetWindowSize(sdlWindow, windowedWidth, windowedHeight);
}

namespace {

FrameBorders bordersOf(SDL_Window* window)
{
    FrameBorders borders;
    if (SDL_GetWindowBordersSize(window, &borders.top, &borders.left, &borders.bottom, &borders.right) != 0)
        return FrameBorders{};
    return borders;
}

} // namespace

WindowPlacement SdlWindow::placement() const
{
    WindowPlacement placement;
    const Uint32 flags = SDL_GetWindowFlags(sdlWindow);
    int x = 0, y = 0;
    if ((flags & SDL_WINDOW_FULLSCREEN) != 0 && windowedWidth > 0) {
        placement.width = windowedWidth;
        placement.height = windowedHeight;
        x = windowedX;
        y = windowedY;
    } else if ((flags & SDL_WINDOW_MAXIMIZED) != 0) {
        placement.maximized = true; // the size and place it goes back to are not known here
        return placement;
    } else {
        SDL_GetWindowSize(sdlWindow, &placement.width, &placement.height);
        SDL_GetWindowPosition(sdlWindow, &x, &y);
    }
    const ScreenPoint frame = frameCorner({x, y}, bordersOf(sdlWindow));
    placement.x = frame.x;
    placement.y = frame.y;
    return placement;
}

void SdlWindow::place(const WindowPlacement& placement)
{
    if (placement.width > 0 && placement.height > 0)
        SDL_SetWindowSize(sdlWindow, placement.width, placement.height);
    if (placement.x && placement.y) {
        // On the display that holds the corner, kept on its visible part; a place on a
        // screen that is no longer there is left to the system.
        const FrameBorders borders = bordersOf(sdlWindow);
        int width = 0, height = 0;
        SDL_GetWindowSize(sdlWindow, &width, &height);
        const SDL_Point corner{*placement.x + 16, *placement.y + 16};
        for (int display = 0; display < SDL_GetNumVideoDisplays(); ++display) {
            SDL_Rect bounds, usable;
            if (SDL_GetDisplayBounds(display, &bounds) != 0 || !SDL_PointInRect(&corner, &bounds))
                continue;
            if (SDL_GetDisplayUsableBounds(display, &usable) != 0)
                usable = bounds;
            const ScreenPoint frame = clampFrame({*placement.x, *placement.y}, width, height, borders,
                                                 ScreenRect{usable.x, usable.y, usable.w, usable.h});
            const ScreenPoint request = clientRequest(frame, borders);
            SDL_SetWindowPosition(sdlWindow, request.x, request.y);
            break;
        }
    }
    if (placement.maximized)
        SDL_MaximizeWindow(sdlWindow);
}

SDL_Rect SdlWindow::pictureRect(int width, int height, int topMargin)
{
    const int areaHeight = std::max(0, height - topMargin);
    const int factor = std::max(1, std::min(width / consoleWidth, areaHeight / consoleHeight));
    const int w = consoleWidth * factor, h = consoleHeight * factor;
    return SDL_Rect{(width - w) / 2, topMargin + (areaHeight - h) / 2, w, h};
}

void SdlWindow::drawPicture(SDL_Texture* texture, int topMargin, const PictureArea& area)
{
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(sdlRenderer, &width, &height) != 0)
        throwSdlError("SDL_GetRendererOutputSize");
    if (SDL_SetRenderDrawColor(sdlRenderer, 0, 0, 0, 255) != 0 || SDL_RenderClear(sdlRenderer) != 0)
        throwSdlError("SDL_RenderClear");
    SDL_Rect target = pictureRect(width, height, topMargin);
    if (area.width > 0 && area.height > 0) {
        // A panel of the window's widgets: fitted inside it the same way.
        target = pictureRect(area.width, area.height, 0);
        target.x += area.x;
        target.y += area.y;
    }
    if (texture && SDL_RenderCopy(sdlRenderer, texture, nullptr, &target) != 0)
        throwSdlError("SDL_RenderCopy");
}

void SdlWindow::present(SDL_Texture* texture, bool)
{
    shownTexture = texture;
    drawPicture(texture, 0);
    SDL_RenderPresent(sdlRenderer);
}

MainWindow::MainWindow(int scale, const char* menuTitle, std::span<const MenuEntry> items,
                       std::function<void(int)> onCommand, WindowDrawing& drawing,
                       const WindowPlacement& placement)
    : SdlWindow("Ollendor", placement.width > 0 ? placement.width : consoleWidth * scale,
                placement.height > 0 ? placement.height : consoleHeight * scale + 19),
      drawing(drawing), menu(window(), renderer(), uiScaleFor(window())), textures(renderer()), menuTitle(menuTitle),
      items(items.begin(), items.end()), onCommand(std::move(onCommand))
{
    menuFrame();
    // The font decides the bar's height; make the client area fit the picture exactly.
    // (A size given is kept: changing it here, before the window is shown, can leave
    // SDL's software renderer drawing for the size it had.)
    if (placement.width <= 0 || placement.height <= 0)
        SDL_SetWindowSize(window(), consoleWidth * scale, consoleHeight * scale + menuHeight);
    place(WindowPlacement{0, 0, placement.x, placement.y, placement.maximized});
    // Never so small that the picture at 1x is cut.
    SDL_SetWindowMinimumSize(window(), consoleWidth, consoleHeight + menuHeight);
    SDL_RendererInfo info{};
    retainedSurface = SDL_GetRendererInfo(renderer(), &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    menu.setTextureVersions([this](void* texture) { return textures.version(texture); });
    // From here on nothing throws: the destructor takes them back.
    drawing.setTextures(&textures);
}

MainWindow::~MainWindow()
{
    if (scene)
        SDL_DestroyTexture(scene);
    drawing.setTextures(nullptr);
}

bool MainWindow::isAccelerator(const SDL_KeyboardEvent& key)
{
    const Uint16 mod = key.keysym.mod;
    // F11 alone, as desktops toggle full screen.
    if (!key.repeat && key.keysym.scancode == SDL_SCANCODE_F11 && !(mod & (KMOD_SHIFT | KMOD_CTRL | KMOD_ALT)))
        return true;
    if (key.repeat || key.keysym.sym != SDLK_f || !(mod & KMOD_ALT) || (mod & KMOD_CTRL))
        return false;
    const bool capital = ((mod & KMOD_SHIFT) != 0) != ((mod & KMOD_CAPS) != 0);
    return !capital;
}

void MainWindow::handleEvent(const SDL_Event& event)
{
    if (event.type == SDL_KEYDOWN && commandsEnabled && isAccelerator(event.key))
        chosen.push_back(acceleratorCommand);
    // The keys that close the box: kept from the machine until they are let go, or it
    // would see them held as it goes on.
    if (event.type == SDL_KEYDOWN && !event.key.repeat && box.shown) {
        const SDL_Scancode key = event.key.keysym.scancode;
        if (key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER || key == SDL_SCANCODE_ESCAPE)
            boxClosingKey = key;
    }
    if (event.type == SDL_KEYUP && event.key.keysym.scancode == boxClosingKey)
        boxClosingKey = SDL_SCANCODE_UNKNOWN;
    if (event.type == SDL_WINDOWEVENT)
        wholeNeeded = redrawNeeded = true; // exposed, resized, shown: the window's contents are to be drawn again
    // Escape closes an open menu or dialog; otherwise it is the machine's ESC key.
    if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) && event.key.keysym.scancode == SDL_SCANCODE_ESCAPE) {
        if (event.type == SDL_KEYDOWN && !event.key.repeat && menu.popupOpen()) {
            escapeClosing = true;
            menu.closePopups();
            redrawNeeded = true;
            return;
        }
        if (event.type == SDL_KEYUP)
            escapeClosing = false;
    }
    menu.processEvent(event);
}

void MainWindow::menuFrame()
{
    menu.beginFrame();
    const MenuBarFrame bar = drawing.drawMenuBar(menuTitle.c_str(), items);
    if (bar.chosen && commandsEnabled && !boxOpen())
        chosen.push_back(bar.chosen->command);
    if (bar.height > 0)
        menuHeight = bar.height;
    if (bar.picture.width != pictureArea.width || bar.picture.height != pictureArea.height ||
        bar.picture.x != pictureArea.x || bar.picture.y != pictureArea.y)
        wholeNeeded = redrawNeeded = true;
    pictureArea = bar.picture;
    if (bar.redraw)
        redrawNeeded = true;
    const bool boxWasOpen = box.wanted || box.shown;
    drawing.drawMessageBox(box);
    menu.endFrame();
    // Whatever the parts say, widgets that look different are shown (a menu that closed,
    // a view that changed); ones that look the same are not drawn again.
    const uint64_t digest = menu.drawDigest();
    const bool looksDifferent = digest != shownDigest;
    if (looksDifferent) {
        shownDigest = digest;
        redrawNeeded = true;
    }
    lastFrameTicks = SDL_GetTicks64();
    followTextInput();
    // The frame that closed the box still shows it; on a still picture nothing else would
    // draw the window again, so one more frame is run and presented without it (or with
    // the box that waited behind it).
    if (boxWasOpen && !box.wanted && !box.shown) {
        if (!waitingBoxes.empty()) {
            box = std::move(waitingBoxes.front());
            waitingBoxes.pop_front();
        }
        menu.requestFrame();
        redrawNeeded = true;
    } else if (box.shown && looksDifferent) {
        // The box is laid out in its first frames and the picture under it dims over a
        // few more: frames follow one another until it looks settled.
        menu.requestFrame();
    }
}

void MainWindow::followTextInput()
{
    // The console keeps SDL's text input off (the emulated keyboard reads key states, not
    // characters); a text field of the widgets gets its characters only while it is on.
    const bool wanted = menu.wantsKeyboard();
    if (wanted == textInputStarted)
        return;
    if (wanted)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
    textInputStarted = wanted;
}

void MainWindow::openBox(const char* caption, const char* text)
{
    MessageBoxState wanted{caption, text, true, false};
    if (box.wanted || box.shown || !waitingBoxes.empty()) {
        const MessageBoxState& last = waitingBoxes.empty() ? box : waitingBoxes.back();
        if ((last.caption == wanted.caption && last.text == wanted.text) || waitingBoxes.size() >= maxWaitingBoxes)
            return;
        waitingBoxes.push_back(std::move(wanted));
        return;
    }
    box = std::move(wanted);
    menu.requestFrame(); // shown at the next service, without waiting for input
    redrawNeeded = true;
}

void MainWindow::boxFrame()
{
    menuFrame();
    redrawNeeded = true;
    present(shownTexture, true);
}

void MainWindow::service()
{
    if (menu.framePending()) {
        menuFrame();
        redrawNeeded = true; // input may have opened, closed or highlighted the menu
    } else if (SDL_GetTicks64() - lastFrameTicks >= idleMenuFrameMillis) {
        menuFrame(); // without input the menu looks the same
    }
    // Carried out after the frame: a command may reopen the console or wait for a box.
    std::vector<int> commands;
    commands.swap(chosen);
    for (int command : commands)
        onCommand(command);
}

namespace {

bool contains(const SDL_Rect& outer, const SDL_Rect& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

// Adds an area to be drawn again, unless one there holds it already; those it holds go.
// (A window that changed in place gives the same area twice, a view's inner scrolling
// part one inside the view's.)
void addArea(std::vector<SDL_Rect>& areas, const SDL_Rect& area)
{
    for (const SDL_Rect& held : areas)
        if (contains(held, area))
            return;
    std::erase_if(areas, [&area](const SDL_Rect& held) { return contains(area, held); });
    areas.push_back(area);
}

} // namespace

SDL_Rect MainWindow::pictureTarget(int width, int height) const
{
    if (pictureArea.width <= 0 || pictureArea.height <= 0)
        return pictureRect(width, height, menuHeight);
    SDL_Rect target = pictureRect(pictureArea.width, pictureArea.height, 0);
    target.x += pictureArea.x;
    target.y += pictureArea.y;
    return target;
}

void MainWindow::present(SDL_Texture* texture, bool pictureChanged)
{
    shownTexture = texture;
    if (!pictureChanged && !redrawNeeded)
        return; // the screen already shows this
    // What is drawn is kept: in the window's own surface with the software renderer (it
    // keeps its pixels until they are drawn over; a resize makes a new one, and draws it
    // all), otherwise in a texture of the whole window. Only what changed is drawn into it
    // again: the picture's rectangle when the picture changed, and the places of the
    // widgets' windows that look different, each with everything that lies there (the
    // picture, then the widgets over it, in order). The widgets are not drawn once per
    // emulated frame, and with the software renderer only those rectangles are sent to the
    // display.
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(renderer(), &width, &height) != 0)
        throwSdlError("SDL_GetRendererOutputSize");
    const ImGuiSurface::Damage damage = menu.takeDamage();
    const bool sizeChanged = width != keptWidth || height != keptHeight;
    if (!retainedSurface) {
        if (scene && sizeChanged) {
            SDL_DestroyTexture(scene);
            scene = nullptr;
        }
        if (!scene && width > 0 && height > 0 && SDL_RenderTargetSupported(renderer()))
            scene = SDL_CreateTexture(renderer(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
        if (!scene || SDL_SetRenderTarget(renderer(), scene) != 0) {
            // Nowhere to keep it: all of it, every time.
            redrawNeeded = false;
            keptWidth = 0;
            drawPicture(texture, menuHeight, pictureArea);
            menu.draw();
            SDL_RenderPresent(renderer());
            return;
        }
    }
    const SDL_Rect whole{0, 0, width, height};
    const SDL_Rect target = pictureTarget(width, height);
    std::vector<SDL_Rect> areas;
    bool everything = wholeNeeded || damage.everything || sizeChanged || !kept;
    if (!everything) {
        if (pictureChanged || redrawNeeded)
            addArea(areas, target);
        for (const SDL_Rect& area : damage.areas) {
            SDL_Rect inside;
            if (SDL_IntersectRect(&area, &whole, &inside))
                addArea(areas, inside);
        }
        long covered = 0;
        for (const SDL_Rect& area : areas)
            covered += long(area.w) * area.h;
        everything = covered * 2 > long(width) * height; // most of it: at once
    }
    redrawNeeded = wholeNeeded = false;
    if (everything) {
        drawPicture(texture, menuHeight, pictureArea);
        menu.draw();
        kept = true;
        keptWidth = width;
        keptHeight = height;
    } else {
        for (const SDL_Rect& area : areas) {
            SDL_RenderSetClipRect(renderer(), &area);
            SDL_SetRenderDrawColor(renderer(), 0, 0, 0, 255);
            SDL_RenderFillRect(renderer(), &area);
            if (texture && SDL_RenderCopy(renderer(), texture, nullptr, &target) != 0)
                throwSdlError("SDL_RenderCopy");
            SDL_RenderSetClipRect(renderer(), nullptr);
            menu.drawIn(area);
        }
    }
    if (!retainedSurface) {
        if (SDL_SetRenderTarget(renderer(), nullptr) != 0)
            throwSdlError("SDL_SetRenderTarget");
        if (SDL_RenderCopy(renderer(), scene, nullptr, nullptr) != 0)
            throwSdlError("SDL_RenderCopy");
        SDL_RenderPresent(renderer());
        return;
    }
    if (everything) {
        SDL_RenderPresent(renderer());
        return;
    }
    if (areas.empty())
        return;
    if (SDL_RenderFlush(renderer()) != 0 || SDL_UpdateWindowSurfaceRects(window(), areas.data(), int(areas.size())) != 0) {
        // Not sent in part: all of it, from the start, the next time.
        kept = false;
        redrawNeeded = true;
    }
}

} // namespace ollendor
