#include "host/sdl/sdl_desktop.h"

#include <cstdio>

#include "host/quit_signal.h"
#include "host/toolkit.h"

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
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            throw DynamicError(std::string("could not create window (SDL_Init: ") + SDL_GetError() + ")");
        videoStarted = true;
    }
    mainWindow = std::make_unique<MainWindow>(scale, menuTitle, items, std::move(onCommand));
    return *mainWindow;
}

bool SdlDesktop::infoWindowOpen(InfoWindow kind)
{
    return infoWindows[int(kind)] != nullptr;
}

void SdlDesktop::openInfoWindow(InfoWindow kind)
{
    if (infoWindows[int(kind)])
        return;
    try {
        infoWindows[int(kind)] = std::make_unique<InfoWindowView>(kind);
    } catch (const DynamicError& error) {
        // Only this window is lost; the emulation goes on.
        toolkit().report(error);
    }
}

void SdlDesktop::showMessage(const char* caption, const char* text)
{
    SDL_Window* owner = mainWindow ? mainWindow->window() : nullptr;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, owner) != 0)
        std::fprintf(stderr, "%s: %s\n", caption, text);
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
    if (mainWindow && mainWindow->id() == id)
        mainWindow->handleEvent(event);
}

bool SdlDesktop::pump()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        dispatch(event);
    if (mainWindow)
        mainWindow->service();
    for (auto& view : infoWindows) {
        if (view && view->closeRequested())
            view.reset();
        else if (view)
            view->service();
    }
    return !(quitPosted || quitSignalled());
}
