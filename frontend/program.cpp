#include "frontend/program.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "automation/server.h"
#include "control/session.h"
#include "frontend/hotkey_actions.h"
#include "frontend/debugger_part.h"
#include "frontend/hotkeys.h"
#include "frontend/loop.h"
#include "frontend/machine_menu.h"
#include "frontend/notices.h"
#include "frontend/main_window.h"
#include "frontend/rom_search.h"
#include "frontend/screenshot.h"
#include "frontend/tape_search.h"
#include "frontend/state_menu.h"
#include "frontend/tapes_window.h"
#include "frontend/volume_item.h"
#include "debug/address_text.h"
#include "debug/registers.h"
#include "files/binary_file.h"
#include "files/message_text.h"
#include "host/run_end.h"
#include "files/safe_file.h"
#include "files/rom_files.h"
#include "machine/rom_set.h"
#include "files/recording_files.h"
#include "state/recording.h"
#include "files/state_files.h"
#include "state/state_file.h"

namespace ollendor {

namespace {

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

// One run of the program: what it made, and how each output file is finished once on
// whichever way the run ends: a normal quit, an error, or a library ending the process.
class Run {
public:
    Run(const Options& options, Platform& platform, FrontendDrawing& drawing, RunSettings* runSettings)
        : options(options), platform(platform), drawing(drawing), runSettings(runSettings),
          userSettings(runSettings ? runSettings->current : ownSettings)
    {
    }
    ~Run() { drawing.removeParts(); }

    int runAndShutDown();
    // The run is cut short from inside a library (exit(), a lost display): the sound thread
    // stops and every output file is finished, without the display.
    void finishCutShort();

private:
    void start();
    void startMachine();
    void startAutomation();
    void stopAutomation();
    void loadSymbolFiles();
    std::function<void()> prepareLoads();
    bool finishWav(Report report);
    bool finishScreenshot(Report report);
    bool finishRecording(Report report);
    bool finishSaveState(Report report);
    void startDesk();
    void saveSettings();

    const Options& options;
    Platform& platform;
    FrontendDrawing& drawing;
    RunSettings* runSettings;                  // null: a run without a settings file
    Settings ownSettings;                      // what is in use then
    Settings& userSettings;                    // in use, changed as the program runs
    std::unique_ptr<TapesWindow> tapes;
    std::unique_ptr<VolumeItem> volume;
    HotkeyMap hotkeyMap;                       // the program's own keys
    HotkeyDispatch hotkeys{hotkeyMap};         // what they do
    std::unique_ptr<Session> session;
    std::unique_ptr<RewindBuffer> rewind;
    std::unique_ptr<Control> control;
    std::unique_ptr<Loop> loop;
    std::unique_ptr<HotkeyActions> actions;    // save and load state, rewind, fast forward, mute, screenshot
    std::unique_ptr<StateMenu> stateMenu;      // their items in "Stuff"
    std::unique_ptr<AutomationServer> automation; // --mcp-stdio, --mcp-http
    std::unique_ptr<DebuggerPart> debugger;    // the Debug menu, its views and F5-F9
    std::unique_ptr<Notices> notices;          // what an action did, over the picture
    std::unique_ptr<MachineMenu> machineMenu;  // Reset, tapes, ROM folder, state files
    std::unique_ptr<HelpMenu> help;            // the keys, About
    bool wavOpen = false;        // --wav is being written
    bool screenshotDone = false; // --screenshot was written (or failed)
};

Run* currentRun = nullptr; // for the finisher a library's exit() runs

void finishCurrentRun()
{
    if (currentRun)
        currentRun->finishCutShort();
}

// A file written only when the run ends is tried now (the temporary file made beside it,
// then removed): a folder that is missing or read-only is better told before a long run.
// Says what the write at the end would say.
void checkWritableAtEnd(const std::optional<std::filesystem::path>& target,
                        std::string (*failure)(const std::string& name, const std::string& reason))
{
    if (!target)
        return;
    SafeFile probe;
    if (!probe.open(*target))
        throw DynamicError(failure(escapedName(target->string()), probe.error()));
    probe.abandon();
}

void Run::start()
{
    checkWritableAtEnd(options.screenshot, [](const std::string& name, const std::string& reason) {
        return "could not write the screenshot " + name + ": " + reason;
    });
    checkWritableAtEnd(options.saveState, [](const std::string& name, const std::string& reason) {
        return "cannot write the state file '" + name + "': " + reason;
    });

    // 1. The machine: the ROM set, laid out in a fresh machine with the tape trap.
    RomSetResult roms = searchRomSet(romSearchFolders(options.romDir));
    for (const std::string& warning : roms.warnings)
        std::fprintf(stderr, "%s\n", warning.c_str());
    if (!roms.ok)
        throw DynamicError(roms.error);
    // In the window the built-in ROM's welcome page says where another folder is chosen.
    if (!options.headless)
        roms.roms.folderHint = {std::string("or choose it: Machine > ") + romFolderItem};
    session = std::make_unique<Session>(roms.roms);
    session->setTapeFolder(options.tapeDir ? *options.tapeDir : defaultTapeFolder(runningProgramFile()));
    rewind = std::make_unique<RewindBuffer>();
    control = std::make_unique<Control>(*session, *rewind);
    // Headless with no automation client, nothing can ask to go back in time.
    control->keepHistory(!options.headless || options.automation());
    startMachine();
    loadSymbolFiles();

    if (options.paused)
        control->pause();

    // Headless with an automation client, the machine keeps its own speed (a client watches
    // it at work) unless --unconstrained; standard output then belongs to the stdio client.
    LoopSettings settings;
    settings.present = !options.headless;
    settings.paced = !options.headless || options.automation();
    settings.limited = !(options.unconstrained || (options.headless && !options.automation()));
    settings.frameLimit = options.frames;
    settings.diagnosticsToStandardError = options.mcpStdio;
    loop = std::make_unique<Loop>(platform, *control, settings);
    // --load and --start: at once, or once a ROM set has had --start-frame frames.
    if (std::function<void()> loads = prepareLoads()) {
        if (options.startFrame == 0)
            loads();
        else
            loop->atFrame(options.startFrame, std::move(loads));
    }

    if (options.automation())
        startAutomation();

    // 2-4. Main window and console; the program's own keys.
    applyKeys(hotkeyMap, userSettings.keys);
    AppWindow& window = createMainWindow(platform.desktop());
    platform.desktop().setKeyHandler([this](const KeyPress& key) {
        if (hotkeys.handle(key))
            return;
        // A key of the machine's: a tap shorter than a frame still reaches it.
        if (key.down && !key.repeat && !key.captured && key.virtualKey != 0)
            session->keyTapped(key.virtualKey);
    });
    actions = std::make_unique<HotkeyActions>(*control, *loop);
    actions->registerKeys(hotkeys);
    loop->setActions([this] {
        actions->carryOut();
        if (help && help->takeAbout())
            onMenuCommand(menuCommand::about, platform.desktop());
    });
    stateMenu = std::make_unique<StateMenu>(*actions, *control, *loop, hotkeyMap, drawing);
    drawing.addPart(*stateMenu);
    debugger = std::make_unique<DebuggerPart>(*control, hotkeyMap, &drawing);
    debugger->bindKeys(hotkeys);
    debugger->setWorkspaceShown(userSettings.debuggerShown);
    drawing.addPart(*debugger);
    notices = std::make_unique<Notices>(debugger.get());
    actions->setNotify([this](const std::string& text, bool error) { notices->show(text, error); });
    openConsole(window, options.fullscreen ? 0 : 1);

    // 5. Sound: the device when there is one (none is no failure: the run is silent), or
    // the WAV file written on emulated time.
    if (options.wav) {
        std::string error;
        if (!loop->openWav(options.wav->c_str(), error))
            throw DynamicError("could not create the WAV file " + options.wav->string() +
                               (error.empty() ? "" : ": " + error));
        wavOpen = true;
    } else {
        loop->openSound(!options.noSound && !options.headless);
    }
    startDesk();

    // 6. The recording starts from the machine as it stands now.
    if (options.record) {
        std::string error;
        if (!session->startRecording(*options.record, error))
            throw DynamicError(error);
    }
}

// The tapes (the window, a dropped file, the FILE of the command line), the volume and the
// windows that were open when the settings were written.
void Run::startDesk()
{
    tapes = std::make_unique<TapesWindow>(*control, userSettings);
    volume = std::make_unique<VolumeItem>(loop->sound(), userSettings);
    tapes->setNotify([this](const std::string& text, bool error) { notices->show(text, error); });
    machineMenu = std::make_unique<MachineMenu>(*control, *actions, *tapes, userSettings, hotkeyMap, *notices);
    help = std::make_unique<HelpMenu>(hotkeyMap);
    // Stuff, Machine, Debug, Tapes, Sound, Help; the notices over everything.
    drawing.insertPart(*machineMenu, 1);
    drawing.addPart(*tapes);
    drawing.addPart(*volume);
    drawing.addPart(*help);
    drawing.addPart(*notices);
    loop->sound().setVolume(userSettings.volume);
    if (userSettings.muted)
        actions->askMuted(true); // Shift+F11 turns it back on
    Desktop& desktop = platform.desktop();
    desktop.setDropHandler([this](const std::string& path) { tapes->dropped(path); });
    if (options.tape)
        tapes->mount(*options.tape);
    for (const std::string& name : userSettings.openWindows) {
        // The information windows show the loop's figures (the loop tells the desktop so
        // itself when it starts; these windows open before that).
        if (name == "timings" || name == "video-chip" || name == "sound")
            desktop.setInfoSource(*loop);
        if (name == "timings")
            desktop.openInfoWindow(InfoWindow::timings);
        else if (name == "video-chip")
            desktop.openInfoWindow(InfoWindow::videoChip);
        else if (name == "sound")
            desktop.openInfoWindow(InfoWindow::sound);
        else
            for (MainWindowPart* part : drawing.parts())
                if (part->openWindowNamed(name))
                    break;
    }
}

// At a normal quit, before the windows go: how the user left them.
void Run::saveSettings()
{
    if (!runSettings || !runSettings->save)
        return;
    Desktop& desktop = platform.desktop();
    if (const auto placement = desktop.mainWindowPlacement()) {
        // Maximised, the size and place it had before are the ones kept.
        userSettings.window.maximized = placement->maximized;
        if (!placement->maximized) {
            userSettings.window.width = placement->width;
            userSettings.window.height = placement->height;
            userSettings.window.x = placement->x;
            userSettings.window.y = placement->y;
        }
    }
    userSettings.window.scale = options.scale;
    userSettings.window.fullscreen = windowedOutput == 0;
    userSettings.speedLimited = loop->speedLimited();
    userSettings.muted = actions && actions->mutedAsked();
    userSettings.openWindows.clear();
    const std::pair<InfoWindow, const char*> infoWindows[] = {
        {InfoWindow::timings, "timings"}, {InfoWindow::videoChip, "video-chip"}, {InfoWindow::sound, "sound"}};
    for (const auto& [kind, name] : infoWindows)
        if (desktop.infoWindowOpen(kind))
            userSettings.openWindows.emplace_back(name);
    for (MainWindowPart* part : drawing.parts())
        part->listOpenWindows(userSettings.openWindows);
    if (debugger)
        userSettings.debuggerShown = debugger->workspaceShown();
    const std::string error = ollendor::saveSettings(runSettings->file, settingsToSave(*runSettings));
    if (!error.empty())
        std::fprintf(stderr, "ollendor: cannot write the settings file %s: %s\n", runSettings->file.c_str(),
                     error.c_str());
}

// Where the machine starts: power-on (with the host's Caps Lock as its reference and the
// --type text), a loaded state, or a recording's start. An unusable state or recording
// stops the program before anything is written.
void Run::startMachine()
{
    if (options.loadState) {
        const Control::Result loaded = control->loadState(*options.loadState);
        if (!loaded.ok)
            throw DynamicError(loaded.error);
    } else if (options.replay) {
        // Read as the replay goes: a long recording is never all in memory.
        std::string error;
        std::unique_ptr<RecordingStream> stream = RecordingStream::open(*options.replay, error);
        if (!stream)
            throw DynamicError(error);
        if (!control->startReplay(std::move(stream), options.replay->string(), error))
            throw DynamicError(error);
    } else {
        session->setCapsLock(platform.capsLockState());
        session->updateInput();
        snapshotCapsLock(session->machine().keyboard);
    }
    control->typeText(options.typeText);
}

// The automation server: its transports start now, and the loop carries out its requests
// once per pass. A port that cannot be had stops the program before the loop starts.
void Run::startAutomation()
{
    AutomationSettings settings;
    settings.stdio = options.mcpStdio;
    settings.httpPort = options.mcpHttpPort;
    settings.token = options.mcpToken;
    settings.endWhenInputEnds = options.headless && options.mcpStdio;
    // The folders the user named (or the tape folder by default) are the ones an HTTP
    // client may have files read from.
    if (options.romDir)
        settings.readableFolders.push_back(*options.romDir);
    settings.readableFolders.push_back(session->tapeFolder());
    if (options.loadDir)
        settings.readableFolders.push_back(*options.loadDir);
    automation = std::make_unique<AutomationServer>(settings);
    automation->setWake([this] { loop->wake(); }); // a request is carried out without waiting for a sleep
    std::string error;
    if (!automation->start(error))
        throw DynamicError("the automation server cannot start: " + error);
    loop->setService([this] { return automation->service(*control); });
}

// Lets the requests still waiting go and stops the transports, before the machine goes.
void Run::stopAutomation()
{
    if (automation)
        automation->stop();
}

// --symbols: each label file adds to the table; one that cannot be read stops the program
// before anything runs, and lines it cannot use are listed on standard error.
void Run::loadSymbolFiles()
{
    for (const std::filesystem::path& file : options.symbols) {
        const SymbolFileResult loaded = control->loadSymbols(file);
        if (!loaded.ok())
            throw DynamicError(loaded.error);
        for (const SymbolFileProblem& problem : loaded.problems)
            std::fprintf(stderr, "ollendor: %s\n", problem.message().c_str());
        if (loaded.problemCount > loaded.problems.size())
            std::fprintf(stderr, "ollendor: %s: %zu more lines skipped\n", escapedName(file.string()).c_str(),
                         loaded.problemCount - loaded.problems.size());
    }
}

// --load and --start: the addresses read (symbols included) and the files read now, so
// that a bad one stops the program before anything runs. Gives what puts them in place
// (null when there is nothing to do).
std::function<void()> Run::prepareLoads()
{
    auto addressOf = [this](const char* option, const std::string& text) {
        const AddressText read = readAddressText(text, &control->symbols());
        if (!read.value)
            throw DynamicError(std::string(option) + ": " + escapedName(read.error));
        if (*read.value > 0xFFFF)
            throw DynamicError(std::string(option) + ": the address " + escapedName(text) +
                               " is past the end of memory ($FFFF)");
        return uint16_t(*read.value);
    };
    struct Loaded {
        std::vector<uint8_t> bytes;
        uint16_t address;
    };
    std::vector<Loaded> loads;
    for (const Options::Load& load : options.loads) {
        const uint16_t address = addressOf("--load", load.address);
        BinaryFile file = readBinaryFile(load.file, 0x10000 - size_t(address));
        if (!file.bytes)
            throw DynamicError("--load: " + file.error + (file.error.find("too long") != std::string::npos
                                                              ? " from address " + std::to_string(address)
                                                              : std::string()));
        loads.push_back({std::move(*file.bytes), address});
    }
    const std::optional<uint16_t> start =
        options.start ? std::optional<uint16_t>(addressOf("--start", *options.start)) : std::nullopt;
    if (loads.empty() && !start)
        return nullptr;
    return [this, loads = std::move(loads), start] {
        for (size_t i = 0; i < loads.size(); ++i) {
            const Loaded& load = loads[i];
            const bool last = i + 1 == loads.size();
            const Control::Result loaded =
                control->loadBinary(load.bytes, load.address, std::nullopt, last ? start : std::nullopt);
            if (!loaded.ok)
                throw DynamicError("--load: " + loaded.error);
        }
        if (loads.empty()) {
            control->edit([&](Mtx& m) { writeCpuRegister(m.cpu, CpuRegister::PC, *start); });
            control->callStackStartsHere(); // what ran before is no caller of it
        }
    };
}

// Closes the WAV file and puts it in place; false (reported) if it is bad.
bool Run::finishWav(Report report)
{
    if (!wavOpen)
        return true;
    wavOpen = false;
    if (wavFinish(loop->wav()))
        return true;
    report("could not write the WAV file " + options.wav->string() + ": " + loop->wav().wav.error);
    return false;
}

// Writes the screenshot of the last frame; false (reported) if it could not be written.
bool Run::finishScreenshot(Report report)
{
    if (!options.screenshot || screenshotDone || !loop || !loop->shownFrame().rendered)
        return true;
    screenshotDone = true;
    try {
        const ShownFrame& shown = loop->shownFrame();
        writeScreenshot(*options.screenshot, session->machine().frame, shown.blanked, shown.backdrop);
        return true;
    } catch (const DynamicError& error) {
        report(error.what());
        return false;
    }
}

// Ends the recording and puts it in place; false (reported) if it could not be written.
bool Run::finishRecording(Report report)
{
    if (!session)
        return true;
    std::string error;
    if (session->stopRecording(error))
        return true;
    report(error);
    return false;
}

// --save-state: the machine as the run leaves it; false (reported) if it could not be saved.
bool Run::finishSaveState(Report report)
{
    if (!options.saveState || !session || !loop || !loop->shownFrame().rendered)
        return true;
    const StateResult saved = saveStateFile(session->machine(), *options.saveState);
    if (saved.ok)
        return true;
    report(saved.error);
    return false;
}

void Run::finishCutShort()
{
    if (loop)
        loop->sound().close();
    finishWav(reportOnStandardError);
    finishScreenshot(reportOnStandardError);
    finishRecording(reportOnStandardError);
    finishSaveState(reportOnStandardError);
}

int Run::runAndShutDown()
{
    Desktop& desktop = platform.desktop();
    try {
        start();
        // 6-7. The loop until the user quits.
        loop->run();
        saveSettings();
        stopAutomation();

        // 8-11. Shutdown. Every output file is finished whatever happened to the others;
        // the exit code says whether one of them is bad.
        closeConsole();
        loop->sound().close();
        const bool wavGood = finishWav(reportThroughToolkit);
        desktop.destroyMainWindow();
        const bool screenshotGood = finishScreenshot(reportThroughToolkit);
        const bool recordingGood = finishRecording(reportThroughToolkit);
        const bool stateGood = finishSaveState(reportThroughToolkit);
        const bool replayGood = !session->replayDiverged(); // said when it happened
        return wavGood && screenshotGood && recordingGood && stateGood && replayGood ? 0 : exitToolkitError;
    } catch (const DynamicError& error) {
        toolkit().report(error);
    } catch (const std::exception& error) {
        toolkit().report(DynamicError(std::string("internal error: ") + error.what()));
    }
    // The run failed: the sound still stops, and what was recorded is still kept.
    stopAutomation();
    if (loop)
        loop->sound().close();
    finishWav(reportThroughToolkit);
    finishScreenshot(reportThroughToolkit);
    finishRecording(reportThroughToolkit);
    finishSaveState(reportThroughToolkit);
    return exitToolkitError;
}

} // namespace

int runProgram(const Options& options, Platform& platform, FrontendDrawing& drawing, RunSettings* settings)
{
    installToolkit(platform.toolkit());
    Run run(options, platform, drawing, settings);
    currentRun = &run;
    setRunFinisher(finishCurrentRun);
    const int exitCode = run.runAndShutDown();
    setRunFinisher(nullptr);
    currentRun = nullptr;
    return exitCode;
}

} // namespace ollendor
