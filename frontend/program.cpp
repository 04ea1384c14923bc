#include "frontend/program.h"

#include "frontend/main_window.h"
#include "frontend/screenshot.h"
#include "host/quit_signal.h"
#include "machine/keyboard.h"
#include "machine/machine.h"
#include "machine/tape.h"
#include "machine/timing.h"
#include "sound/stream.h"
#include "sound/wavstream.h"
#include "video/display.h"

namespace {
// What the last rendered frame was shown with, for --screenshot.
struct LastFrame {
    bool blanked = true;   // the display was blanked
    uint8_t backdrop = 0;  // backdrop colour index
};
LastFrame lastFrame;

// Emulated cycles from one regular frame to the next.
constexpr uint64_t cyclesPerFrame = uint64_t(hooksPerFrame) * mtxCyclesPerHook;
bool recordingWav = false; // --wav: the sound is written on emulated time
} // namespace

void programFrameStep()
{
    // Headless runs are never held back, so every frame step is a regular frame: the
    // sound of one frame's worth of cycles is due.
    if (recordingWav)
        wavAdvance(cyclesPerFrame);
    renderFrame();
    lastFrame.blanked = displayBlanked();
    lastFrame.backdrop = backdropColour();
}

int runProgram(const Options& options, Platform& platform)
{
    installHost(platform.host());
    installToolkit(platform.toolkit());
    installQuitSignals();
    Desktop& desktop = platform.desktop();

    try {
        // 1. The machine: ROM images, tape trap, video chip, CPU, pacing clock.
        if (options.tapeDir)
            setTapeFolder(*options.tapeDir);
        const RomLoadResult roms = machineInit(options.romDir);
        if (!roms.ok)
            throw DynamicError(roms.message);
        if (options.unconstrained || options.headless)
            constrainSpeed.store(0);

        // 2-4. Main window, console, display.
        AppWindow& window = createMainWindow(desktop);
        openConsole(window, options.fullscreen ? 0 : 1);
        displaySetup();

        // 5. Sound: the device when there is one (none is no failure: the run is silent),
        // or the WAV file written on emulated time.
        bool soundActive = false;
        if (options.wav) {
            if (!wavStart(options.wav->c_str()))
                throw DynamicError("could not create the WAV file " + options.wav->string());
            recordingWav = true;
        } else if (!options.noSound && !options.headless) {
            if (AudioDevice* device = platform.audioDevice(); device && soundOpen(*device)) {
                startSoundThread();
                soundActive = true;
            }
        }

        // 6-7. Keyboard reference, then the run until the user quits.
        snapshotCapsLock();
        machineRun();

        // 8-11. Shutdown.
        closeConsole();
        if (soundActive)
            soundClose();
        if (recordingWav) {
            recordingWav = false;
            if (!wavFinish())
                throw DynamicError("could not write the WAV file " + options.wav->string());
        }
        displayTeardown();
        desktop.destroyMainWindow();

        if (options.screenshot)
            writeScreenshot(*options.screenshot, frameBuffer, lastFrame.blanked, lastFrame.backdrop);
        return 0;
    } catch (const DynamicError& error) {
        toolkit().report(error);
        return exitToolkitError;
    }
}
