#include "host/sdl/sdl_desktop.h"

#include "host/side_by_side.h"
#include "host/sdl/sdl_keys.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/quit_signal.h"
#include "host/sdl/x11_answer.h"
#include "host/sdl/x11_errors.h"
#include "host/toolkit.h"

namespace ollendor {

namespace {

// The window an event belongs to, or 0 for an event of no window.
Uint32 eventWindowId(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    default: return 0;
    }
}

const char* environment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Why SDL's video came up without a display: it falls back quietly to a driver that shows
// nothing (offscreen, dummy) when no X or Wayland display can be reached. Empty when the
// driver is a real one, or was asked for by name in SDL_VIDEODRIVER.
std::string noDisplayReason()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (environment("SDL_VIDEODRIVER") || !driver ||
        (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0))
        return {};
    const char* x = environment("DISPLAY");
    const char* wayland = environment("WAYLAND_DISPLAY");
    std::string reason;
    if (!x && !wayland)
        reason = "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    else
        reason = std::string("could not reach the display ") + (x ? x : wayland);
    return reason + "; use --headless to run without a window";
}
// Starts SDL's video on the display named. A display server that is busy may drop a new
// connection before answering it (an X server under load does, now and then), so a display
// that is named but could not be reached is tried three times, a quarter of a second apart,
// before the program gives up with the reason.
void startVideo()
{
    // An X display that takes a connection and never answers: said, instead of waiting in
    // Xlib for ever. (Another driver asked for by name is left to SDL.)
    const char* x = environment("DISPLAY");
    const char* driver = environment("SDL_VIDEODRIVER");
    if (x && (!driver || std::strcmp(driver, "x11") == 0) &&
        askX11Display(x, std::chrono::seconds(10)) == DisplayAnswer::silent)
        throw DynamicError(std::string("the display ") + x +
                           " does not answer (waited 10 s); use --headless to run without a window");
    constexpr int attempts = 3;
    for (int attempt = 1;; ++attempt) {
        const bool named = environment("DISPLAY") || environment("WAYLAND_DISPLAY");
        std::string failure;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            failure = std::string("could not create window (SDL_Init: ") + SDL_GetError() + ")";
        } else {
            failure = noDisplayReason();
            if (failure.empty())
                return;
            // A window nobody can see would run for ever unnoticed.
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        if (!named || attempt == attempts)
            throw DynamicError(failure);
        SDL_Delay(250);
    }
}
} // namespace

SdlDesktop::~SdlDesktop()
{
    for (auto& view : infoWindows)
        view.reset();
    mainWindow.reset();
    if (videoStarted)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

AppWindow& SdlDesktop::createMainWindow(const char* menuTitle, std::span<const MenuEntry> items,
                                        std::function<void(int)> onCommand)
{
    if (!videoStarted) {
        // Signals are ours: SIGINT and SIGTERM take the program's own quit path.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        installX11ErrorHandlers();
        startVideo();
        videoStarted = true;
    }
    mainWindow = std::make_unique<MainWindow>(scale, menuTitle, items, std::move(onCommand), drawing,
                                              initialPlacement);
    return *mainWindow;
}

std::optional<WindowPlacement> SdlDesktop::mainWindowPlacement()
{
    if (!mainWindow)
        return std::nullopt;
    return mainWindow->placement();
}

bool SdlDesktop::infoWindowOpen(InfoWindow kind)
{
    return infoWindows[int(kind)] != nullptr;
}

namespace {

// A window's frame on the screen (its client area with the borders around it).
ScreenRect frameOf(SDL_Window* window)
{
    int x = 0, y = 0, width = 0, height = 0, top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right);
    return ScreenRect{x - left, y - top, width + left + right, height + top + bottom};
}

} // namespace

std::optional<ScreenPoint> SdlDesktop::infoWindowPlace(InfoWindow kind) const
{
    // Beside the main window and the ones open, on the main window's display.
    if (!mainWindow)
        return std::nullopt;
    const ScreenRect main = frameOf(mainWindow->window());
    const int display = SDL_GetWindowDisplayIndex(mainWindow->window());
    SDL_Rect usable;
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0)
        return std::nullopt;
    std::vector<ScreenRect> open;
    for (const auto& view : infoWindows)
        if (view)
            open.push_back(frameOf(view->sdlWindow()));
    // The new window's frame is not known before it exists: the main window's borders.
    FrameBorders borders;
    SDL_GetWindowBordersSize(mainWindow->window(), &borders.top, &borders.left, &borders.bottom, &borders.right);
    const InfoWindowSize size = infoWindowSizes[int(kind)];
    const ScreenPoint frame = sideBySide(ScreenRect{usable.x, usable.y, usable.w, usable.h}, main, open,
                                         size.width + borders.left + borders.right,
                                         size.height + borders.top + borders.bottom);
    return clientRequest(frame, borders);
}

void SdlDesktop::openInfoWindow(InfoWindow kind)
{
    if (infoWindows[int(kind)])
        return;
    try {
        if (!infoSource)
            throw DynamicError("could not create window (nothing to show)");
        SDL_Window* owner = mainWindow ? mainWindow->window() : nullptr;
        infoWindows[int(kind)] = std::make_unique<InfoWindowView>(kind, *infoSource, drawing, owner, infoWindowPlace(kind));
    } catch (const DynamicError& error) {
        // Only this window is lost; the emulation goes on. Said in the main window's own
        // box, which (unlike the system's) does not hold the program up.
        std::fprintf(stderr, "ollendor: %s\n", error.what());
        if (mainWindow)
            mainWindow->openBox("Ollendor", error.what());
        else
            toolkit().report(error);
    }
}

void SdlDesktop::showMessage(const char* caption, const char* text)
{
    if (!mainWindow) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return;
    }
    // The box is one of the main window's widgets, drawn in its frames by the pump, rather
    // than SDL's message box or a loop of our own, either of which would hold up the
    // program's loop (its requests, its keys, a quit) until OK was pressed.
    mainWindow->openBox(caption, text);
}

void SdlDesktop::destroyMainWindow()
{
    if (mainWindow)
        mainWindow->disableCommands();
}

void SdlDesktop::dispatch(const SDL_Event& event)
{
    if (event.type == SDL_QUIT) {
        quitPosted = true;
        return;
    }
    if (event.type == SDL_AUDIODEVICEREMOVED) {
        if (!event.adevice.iscapture && audioDeviceRemoved)
            audioDeviceRemoved(event.adevice.which);
        return;
    }
    if (event.type == SDL_DROPFILE) {
        // SDL hands over a string of its own to be freed, whichever window it was dropped on.
        if (event.drop.file) {
            const std::string path = event.drop.file;
            SDL_free(event.drop.file);
            if (dropHandler && mainWindow && event.drop.windowID == mainWindow->id())
                dropHandler(path);
        }
        return;
    }
    const Uint32 id = eventWindowId(event);
    if (id == 0)
        return;
    for (auto& view : infoWindows)
        if (view && view->id() == id) {
            view->handleEvent(event);
            return;
        }
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
        // The main window, or the console's own window: either ends the run.
        quitPosted = true;
        return;
    }
    if (mainWindow && mainWindow->id() == id) {
        mainWindow->handleEvent(event);
        if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) && keyHandler) {
            KeyPress key;
            key.scancode = int(event.key.keysym.scancode);
            key.virtualKey = virtualKeyOf(event.key.keysym.scancode);
            key.down = event.type == SDL_KEYDOWN;
            key.repeat = event.key.repeat != 0;
            const Uint16 mod = event.key.keysym.mod;
            key.shift = (mod & KMOD_SHIFT) != 0;
            key.ctrl = (mod & KMOD_CTRL) != 0;
            key.alt = (mod & KMOD_ALT) != 0;
            key.captured = mainWindow->wantsKeyboard();
            keyHandler(key);
        }
    }
}

bool SdlDesktop::pump()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        dispatch(event);
    if (mainWindow)
        mainWindow->service();
    serviceInfoWindows();
    return !(quitPosted || quitSignalled());
}

void SdlDesktop::serviceInfoWindows()
{
    for (auto& view : infoWindows) {
        if (view && view->closeRequested())
            view.reset();
        else if (view)
            view->service();
    }
}

} // namespace ollendor
