#include "frontend/program.h"

#include <cstdio>
#include <exception>
#include <string>

#include "frontend/main_window.h"
#include "frontend/screenshot.h"
#include "host/quit_signal.h"
#include "host/run_end.h"
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
    bool rendered = false; // a frame was rendered in this run
    bool blanked = true;   // the display was blanked
    uint8_t backdrop = 0;  // backdrop colour index
};
LastFrame lastFrame;

// Emulated cycles from one regular frame to the next.
constexpr uint64_t cyclesPerFrame = uint64_t(hooksPerFrame) * mtxCyclesPerHook;

// The output files of the run in progress, each finished once on whichever way the run
// ends: a normal quit, an error, or a library ending the process.
struct RunOutputs {
    const Options* options = nullptr; // the run's options; null outside runProgram
    bool recordingWav = false;        // --wav: the sound is written on emulated time
    bool wavLimitReported = false;    // the WAV file's size limit was announced
    bool screenshotDone = false;      // --screenshot was written (or failed)
};
RunOutputs outputs;

using Report = void (*)(const std::string& message);

void reportThroughToolkit(const std::string& message)
{
    toolkit().report(DynamicError(message));
}

// Where the toolkit's display may be gone.
void reportOnStandardError(const std::string& message)
{
    std::fprintf(stderr, "ollendor: %s\n", message.c_str());
}

// Closes the WAV file and puts it in place; false (reported) if it is bad.
bool finishWav(Report report)
{
    if (!outputs.recordingWav)
        return true;
    outputs.recordingWav = false;
    if (wavFinish())
        return true;
    report("could not write the WAV file " + outputs.options->wav->string() + ": " +
           wavStream.wav.error);
    return false;
}

// Writes the screenshot of the last frame; false (reported) if it could not be written.
bool finishScreenshot(Report report)
{
    if (!outputs.options || !outputs.options->screenshot || outputs.screenshotDone)
        return true;
    outputs.screenshotDone = true;
    try {
        writeScreenshot(*outputs.options->screenshot, frameBuffer, lastFrame.blanked,
                        lastFrame.backdrop);
        return true;
    } catch (const DynamicError& error) {
        report(error.what());
        return false;
    }
}

// The run is cut short from inside a library (exit(), a lost display): the sound thread
// stops and every output file is finished, without the display.
void finishCutShortRun()
{
    soundClose();
    finishWav(reportOnStandardError);
    if (lastFrame.rendered)
        finishScreenshot(reportOnStandardError);
}

// Start-up, the run and shutdown; gives the exit code.
int runAndShutDown(const Options& options, Platform& platform)
{
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
        if (options.wav) {
            if (!wavStart(options.wav->c_str()))
                throw DynamicError("could not create the WAV file " + options.wav->string() +
                                   (wavStream.wav.error.empty() ? "" : ": " + wavStream.wav.error));
            outputs.recordingWav = true;
        } else if (!options.noSound && !options.headless) {
            if (AudioDevice* device = platform.audioDevice(); device && soundOpen(*device))
                startSoundThread();
        }

        // 6-7. Keyboard reference, then the run until the user quits.
        snapshotCapsLock();
        machineRun();

        // 8-11. Shutdown. Every output file is finished whatever happened to the others;
        // the exit code says whether one of them is bad.
        closeConsole();
        soundClose();
        const bool wavGood = finishWav(reportThroughToolkit);
        displayTeardown();
        desktop.destroyMainWindow();
        const bool screenshotGood = finishScreenshot(reportThroughToolkit);
        return wavGood && screenshotGood ? 0 : exitToolkitError;
    } catch (const DynamicError& error) {
        toolkit().report(error);
    } catch (const std::exception& error) {
        toolkit().report(DynamicError(std::string("internal error: ") + error.what()));
    }
    // The run failed: the sound still stops, and what was recorded is still kept.
    soundClose();
    finishWav(reportThroughToolkit);
    if (lastFrame.rendered)
        finishScreenshot(reportThroughToolkit);
    return exitToolkitError;
}
} // namespace

void programFrameStep()
{
    // Headless runs are never held back, so every frame step is a regular frame: the
    // sound of one frame's worth of cycles is due.
    if (outputs.recordingWav) {
        wavAdvance(cyclesPerFrame);
        if (wavStream.wav.full && !outputs.wavLimitReported) {
            outputs.wavLimitReported = true;
            std::fprintf(stderr,
                         "ollendor: the WAV file %s reached the size limit of the format "
                         "(4 GiB, about 19 hours of sound); the rest of the sound is not "
                         "recorded\n",
                         outputs.options->wav->c_str());
        }
    }
    renderFrame();
    lastFrame.rendered = true;
    lastFrame.blanked = displayBlanked();
    lastFrame.backdrop = backdropColour();
}

int runProgram(const Options& options, Platform& platform)
{
    installHost(platform.host());
    installToolkit(platform.toolkit());
    installQuitSignals();
    lastFrame = {};
    outputs = {};
    outputs.options = &options;
    setRunFinisher(finishCutShortRun);
    const int exitCode = runAndShutDown(options, platform);
    setRunFinisher(nullptr);
    outputs = {};
    return exitCode;
}
