// The desktop on SDL: the main window, the information windows and the main thread's event
// pump that serves them all.
#pragma once

#include <memory>

#include "host/desktop.h"
#include "host/sdl/info_window.h"
#include "host/sdl/sdl_window.h"
#include "host/window_drawing.h"

namespace ollendor {

class SdlDesktop : public Desktop {
public:
    // drawing issues the widgets of every window; it must outlive the desktop.
    SdlDesktop(int scale, WindowDrawing& drawing) : scale(scale), drawing(drawing) {}
    ~SdlDesktop() override;

    AppWindow& createMainWindow(const char* menuTitle, std::span<const MenuEntry> items,
                                std::function<void(int command)> onCommand) override;
    bool infoWindowOpen(InfoWindow kind) override;
    void openInfoWindow(InfoWindow kind) override;
    void showMessage(const char* caption, const char* text) override;
    bool messageOpen() const override { return mainWindow && mainWindow->boxOpen(); }
    void postQuit() override { quitPosted = true; }
    void destroyMainWindow() override;

    // Handles every waiting event, services the windows; false once quit was asked for (the
    // menu, closing the main window, SIGINT or SIGTERM).
    bool pump() override;
    void setInfoSource(InfoSource& source) override { infoSource = &source; }
    // Called from the pump with SDL's id of an output device that went away (unplugged).
    void setKeyHandler(std::function<void(const KeyPress& key)> handler) override { keyHandler = std::move(handler); }
    void setDropHandler(std::function<void(const std::string& path)> handler) override
    {
        dropHandler = std::move(handler);
    }
    std::optional<WindowPlacement> mainWindowPlacement() override;
    // The main window's size and place when it is made (none given: from the scale).
    void setPlacement(const WindowPlacement& placement) { initialPlacement = placement; }
    // A text field of the main window's widgets has the keyboard: what is typed there is
    // not for the emulated keyboard.
    bool keyboardCaptured() const { return mainWindow && mainWindow->wantsKeyboard(); }
    void setAudioDeviceRemoved(std::function<void(uint32_t device)> handler)
    {
        audioDeviceRemoved = std::move(handler);
    }

private:
    void dispatch(const SDL_Event& event);
    void serviceInfoWindows();

    int scale;                                              // console factor of the main window
    WindowPlacement initialPlacement;                       // its size and place when made
    WindowDrawing& drawing;                                 // draws what the windows show
    bool videoStarted = false;                              // SDL's video subsystem is up
    // Where a new information window goes (client corner); none without a main window.
    std::optional<ScreenPoint> infoWindowPlace(InfoWindow kind) const;
    std::unique_ptr<MainWindow> mainWindow;                 // made once
    std::unique_ptr<InfoWindowView> infoWindows[infoWindowCount]; // open information windows
    InfoSource* infoSource = nullptr;                       // what they show
    bool quitPosted = false;                                // the quit path was taken
    std::function<void(uint32_t)> audioDeviceRemoved;       // told of a lost output device
    std::function<void(const KeyPress&)> keyHandler;        // told of the main window's keys
    std::function<void(const std::string&)> dropHandler;    // told of files dropped on it
};

} // namespace ollendor
