#include "frontend/loop.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "video/display.h"

namespace ollendor {

namespace {
// Frames are shown as they come, but no faster than this when the speed limit is off.
constexpr int64_t presentIntervalNanos = 30 * 1000000;
// The longest sleep while the pacing waits.
constexpr int64_t maxWaitStepNanos = 4 * 1000000;
} // namespace

Loop::Loop(Platform& platform, Control& control, const LoopSettings& settings)
    : platform_(platform), settings_(settings), limited_(settings.limited), control_(control),
      session_(control.session())
{
    session_.setHost(*this);
}

int64_t Loop::now()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

void Loop::openSound(bool device)
{
    if (!device)
        return;
    if (AudioDevice* audio = platform_.audioDevice(); audio && sound_.open(*audio)) {
        sound_.startThread();
        platform_.setAudioDeviceRemoved([this] { sound_.close(); });
    }
}

bool Loop::openWav(const char* path, std::string& error)
{
    if (!wavStart(wav_, path)) {
        error = wav_.wav.error;
        return false;
    }
    wavOpen_ = true;
    wavPath_ = path;
    return true;
}

void Loop::run()
{
    Session& session = session_;
    Desktop& desktop = platform_.desktop();
    desktop.setInfoSource(*this);
    session.setHostKeys([this](uint8_t key) { return platform_.keyDown(key); });

    uint64_t frames = 0;
    pacer_.start(now());
    while (desktop.pump()) {
        if (actions_)
            actions_();
        if (service_ && !service_())
            break;
        if (rewinding_) {
            if (!stepBack()) // shows each frame back itself; let go, the sound follows
                break;
            continue;
        }
        // Whatever changed the machine from outside the run (a key of the program, a menu,
        // a view, a client), the picture and the sound follow it here, once.
        if (control_.jumps() != followedJumps_)
            followMachine();
        // An open message box holds the machine as a pause does; everything else goes on.
        if (control_.paused() || desktop.messageOpen()) {
            standStill();
            continue;
        }
        session.setCapsLock(platform_.capsLockState());
        const bool frameDone = control_.runFrame();
        shown_.rendered = true;
        noteShown();
        if (settings_.present)
            present(!frameDone);
        if (!frameDone)
            continue; // stopped by the debugger within the frame
        ++frames;
        if (atFrameAction_ && frames == atFrame_) {
            const std::function<void()> action = std::move(atFrameAction_);
            atFrameAction_ = nullptr;
            action();
        }
        if (settings_.frameLimit != 0 && frames >= settings_.frameLimit)
            break;
        // A replay that came to its end: headless, the run ends with it (unless --frames
        // asks for more); in the window the machine goes on live.
        if (!settings_.present && settings_.frameLimit == 0 && session.replayFinished() && !service_)
            break;
        if (settings_.paced) {
            pacer_.emulated(cyclesPerFrame, now(), limited_ && !fastForward_);
            if (!waitForDeadline())
                break;
        }
    }
}

void Loop::standStill()
{
    // The machine stands still; the windows and the requests go on (a request cuts the
    // sleep short).
    if (settings_.present)
        present(true);
    sleep(10 * 1000000);
    pacer_.resume(now());
}

void Loop::noteShown()
{
    shown_.blanked = displayBlanked(session_.machine().vdp);
    shown_.backdrop = backdropColour(session_.machine().vdp);
}

bool Loop::stepBack()
{
    // At the oldest frame held this fails, and the machine stays there: nothing moves, so
    // the pass costs what a paused one does.
    if (!control_.rewindFrames(1).ok) {
        standStill();
        return true;
    }
    noteShown();
    if (settings_.present)
        present(true);
    if (!settings_.paced)
        return true;
    // Backwards at the frame rate, whatever the speed limit says.
    pacer_.emulated(cyclesPerFrame, now(), true);
    return waitForDeadline();
}

void Loop::setRewinding(bool rewinding)
{
    if (rewinding == rewinding_)
        return;
    rewinding_ = rewinding;
    sound_.setMuted(muted_ || rewinding_);
    if (!rewinding_)
        followMachine(); // live from here: the tones of this point
}

void Loop::setMuted(bool muted)
{
    muted_ = muted;
    sound_.setMuted(muted_ || rewinding_);
}

void Loop::followMachine()
{
    followedJumps_ = control_.jumps();
    noteShown();
    sound_.discardFed(); // what the machine made before the jump is not heard
    publishTones(session_.machine().sound.published);
    if (settings_.present)
        present(true);
}

void Loop::present(bool always)
{
    const int64_t time = now();
    if (!always && time - lastPresented_ < presentIntervalNanos)
        return;
    lastPresented_ = time;
    Console& console = toolkit().console();
    uint32_t* pixels = console.lock();
    composeConsole(pixels, console.pitch(), session_.machine().frame, shown_.blanked, shown_.backdrop);
    console.unlock();
    console.update();
}

bool Loop::waitForDeadline()
{
    Desktop& desktop = platform_.desktop();
    // Sleeps of up to 4 ms (to the deadline when nearer): the window is served often enough
    // for input to feel immediate, without a wake-up every millisecond costing a few per
    // cent of a core while the machine waits.
    for (int64_t wait; (wait = pacer_.waitNanos(now())) > 0;) {
        if (sleep(std::min<int64_t>(wait, maxWaitStepNanos)) && service_) {
            // A request, between frames: carried out now rather than after the wait.
            if (!service_())
                return false;
            if (control_.paused() || control_.jumps() != followedJumps_)
                return true; // the loop's top stands still or follows the jump
        }
        if (!desktop.pump())
            return false;
        if (settings_.present)
            toolkit().console().update(); // the menu and the windows, when they changed
    }
    return true;
}

void Loop::wake()
{
    {
        std::lock_guard lock(wakeMutex_);
        woken_ = true;
    }
    wakeSignal_.notify_one();
}

bool Loop::sleep(int64_t nanos)
{
    std::unique_lock lock(wakeMutex_);
    wakeSignal_.wait_for(lock, std::chrono::nanoseconds(nanos), [this] { return woken_; });
    const bool woken = woken_;
    woken_ = false;
    return woken;
}

void Loop::showMessage(const char* caption, const char* text)
{
    // Also on standard error, as without a window: what went wrong stays in the log.
    if (settings_.present)
        std::fprintf(stderr, "ollendor: %s: %s\n", caption, text);
    platform_.desktop().showMessage(caption, text); // returns at once; the loop waits for it
}

bool Loop::holdsMachine()
{
    return platform_.desktop().messageOpen();
}

void Loop::diagnosticLine(const char* line)
{
    std::fprintf(settings_.diagnosticsToStandardError ? stderr : stdout, "%s\n", line);
}

void Loop::warningLine(const char* line)
{
    std::fprintf(stderr, "%s\n", line);
}

void Loop::publishTones(const ToneSettings& tones)
{
    applyPublished(shownTones_, tones);
    if (sound_.isOpen())
        sound_.publish(tones);
    if (wavOpen_)
        wavPublish(wav_, tones);
}

void Loop::soundSamples(const int16_t* samples, size_t count)
{
    if (wavOpen_)
        wavTake(wav_, samples, count);
    if (sound_.isOpen())
        sound_.feed(samples, count);
}

void Loop::frameElapsed()
{
    if (!wavOpen_)
        return;
    if (wav_.wav.full && !wavLimitReported_) {
        wavLimitReported_ = true;
        std::fprintf(stderr,
                     "ollendor: the WAV file %s reached the size limit of the format (4 GiB, about 19 "
                     "hours of sound); the rest of the sound is not recorded\n",
                     wavPath_);
    }
}

InfoSources Loop::infoSources()
{
    ToneSettings tones = shownTones_;
    if (sound_.isOpen())
        tones = sound_.tones();
    else if (wavOpen_)
        tones = wav_.tones;
    return InfoSources{pacer_.measuredHz(), session_.machine().vdp, tones};
}

} // namespace ollendor
