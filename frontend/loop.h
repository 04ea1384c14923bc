// The program's one loop, windowed or headless:
//
//   events → input → run a frame → present → pacing → (sound is published as it happens)
//
// Menu commands, About, full screen and the information windows run in the event step,
// between frames. A message box holds the machine as a pause does (an event that showed
// one stops the frame where it happened) while the loop goes on around it. Pacing holds the machine to
// 4 MHz of host time (frontend/pacer.h), waiting in 1 ms sleeps during which the window
// stays alive; the headless loop is the same loop without presenting or pacing. --frames N
// counts frames of emulated time only, so the same N gives the same picture either way.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "control/control.h"
#include "control/session.h"
#include "frontend/pacer.h"
#include "debug/info_text.h"
#include "host/platform.h"
#include "host/audio/stream.h"
#include "files/wav_stream.h"

namespace ollendor {

struct LoopSettings {
    bool present = true;      // show frames in the console (not headless)
    bool paced = true;        // hold the machine to real time (the window; headless with a server)
    bool limited = true;      // the speed limit is on at start
    uint64_t frameLimit = 0;  // stop after this many frames; 0: run until quit
    bool diagnosticsToStandardError = false; // standard output belongs to someone else
};

// What the loop shows of the last frame (for --screenshot as for the window).
struct ShownFrame {
    bool rendered = false; // a frame was run in this loop
    bool blanked = true;   // the display was blanked then
    uint8_t backdrop = 0;  // backdrop colour index then
};

class Loop final : public SessionHost, public InfoSource {
public:
    // The control (and its session) and the platform must outlive the loop.
    Loop(Platform& platform, Control& control, const LoopSettings& settings);

    // Sound through the device (opened here when asked for and there is one) or a WAV file;
    // neither is no failure: the run is silent.
    void openSound(bool device);
    bool openWav(const char* path, std::string& error);
    SoundStream& sound() { return sound_; }
    WavStream& wav() { return wav_; }

    // Runs the session until the user quits or the frame limit is reached.
    void run();
    // Called once per pass of the loop, between frames and while paused (an automation
    // server carries out its requests there); false ends the run.
    void setService(std::function<bool()> service) { service_ = std::move(service); }
    const ShownFrame& shownFrame() const { return shown_; }
    // Any thread: something waits for the service (an automation request). The loop stops
    // sleeping: while paused it serves at once, while running between frames, instead of
    // after its 10 ms sleep or the pacing's wait for the next frame.
    void wake();
    // Carried out once, right after the loop's `frame`th frame (counted as --frames counts).
    void atFrame(uint64_t frame, std::function<void()> action)
    {
        atFrame_ = frame;
        atFrameAction_ = std::move(action);
    }

    // The program's own keys and their menu items (frontend/hotkey_actions.h): what they
    // asked for is carried out once per pass, right after the events, running or paused.
    void setActions(std::function<void()> actions) { actions_ = std::move(actions); }
    // Rewinding (the key held): each pass goes back one frame instead of running one, at
    // the frame rate, silent, and stays at the oldest frame held; let go, the machine goes
    // on live from where it is (running, or paused as it was).
    void setRewinding(bool rewinding);
    bool rewinding() const { return rewinding_; }
    // Fast forward (the key held): no speed limit meanwhile; the Timings window's setting
    // is kept and holds again once it is let go.
    void setFastForward(bool fastForward) { fastForward_ = fastForward; }
    bool fastForward() const { return fastForward_; }
    // The sound device silent (the stream keeps running); a WAV file is not affected.
    void setMuted(bool muted);
    bool muted() const { return muted_; }
    // The machine was put somewhere else (a state loaded, a rewind, an edit): the picture
    // and the sound follow it at once. The loop calls it whenever the control's count of
    // jumps moved since it last followed.
    void followMachine();

    // SessionHost
    void showMessage(const char* caption, const char* text) override;
    bool holdsMachine() override;
    void diagnosticLine(const char* line) override;
    void warningLine(const char* line) override;
    void publishTones(const ToneSettings& tones) override;
    void frameElapsed() override;
    void soundSamples(const int16_t* samples, size_t count) override;

    // InfoSource
    InfoSources infoSources() override;
    bool speedLimited() override { return limited_; }
    void setSpeedLimited(bool limited) override { limited_ = limited; }

private:
    static int64_t now();
    // The frame in the console (at most about 33 a second, unless always).
    void present(bool always = false);
    // Waits out the pacing deadline in short steps, serving the window and, when woken,
    // the requests; false on quit.
    bool waitForDeadline();
    // Sleeps for `nanos`, or less when woken; true when woken.
    bool sleep(int64_t nanos);
    // One pass while rewinding: a frame back, shown, paced; false on quit.
    bool stepBack();
    // One pass with the machine standing still (paused, or rewound as far as it goes).
    void standStill();
    // What the display shows of the machine as it stands.
    void noteShown();

    Platform& platform_;
    LoopSettings settings_;
    bool limited_;
    Pacer pacer_;
    SoundStream sound_;
    WavStream wav_;
    bool wavOpen_ = false;            // --wav: the sound is written on emulated time
    bool wavLimitReported_ = false;   // the WAV file's size limit was announced
    const char* wavPath_ = "";
    ToneSettings shownTones_{};       // what the Sound window shows with no output open
    Control& control_;
    Session& session_;
    std::function<bool()> service_;
    std::function<void()> actions_;
    uint64_t atFrame_ = 0;
    std::function<void()> atFrameAction_;
    uint64_t followedJumps_ = 0;      // the control's jumps the picture and sound follow
    bool rewinding_ = false;          // the rewind key is held
    bool fastForward_ = false;        // the fast-forward key is held
    bool muted_ = false;              // the user turned the sound off
    ShownFrame shown_;
    int64_t lastPresented_ = 0;       // host time of the last presentation
    std::mutex wakeMutex_;
    std::condition_variable wakeSignal_;
    bool woken_ = false;              // wake() was called since the last sleep looked
};

} // namespace ollendor
