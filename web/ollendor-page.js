// The page around the machine: picture, sound, keys, files, states and the buttons.
//
// The machine runs in the WebAssembly module (ollendor.js), one frame (133,120 cycles of
// the 4 MHz CPU) at a time. Once the sound runs, the audio clock paces it: the machine is
// kept a little ahead of what the sound device has played. Before that (no click yet, or
// no sound at all) the page's clock does. The picture is drawn at the display's refresh.
//
// With ?manual in the address the machine runs only when asked (window.ollendor.runFrames),
// which the tests use to run exact numbers of frames.
'use strict';

(function () {
const machineRate = 31250;                   // samples a second
const cyclesPerFrame = 133120;
const framesPerSecond = 4000000 / cyclesPerFrame;
const samplesAhead = 3125;                   // the machine keeps 100 ms ahead of the sound
const maxFramesPerTick = 12;                 // catching up is bounded; more is let go
const width = 320, height = 200;
const romNames = ['osrom', 'basicrom', 'assemrom'];
const slotCount = 4;
const stateMagic = 'OLLSTATE';

const params = new URLSearchParams(location.search);
const manual = params.has('manual');

// KeyboardEvent.code to the host key codes of the machine's key map (Windows virtual keys).
const keyCodes = {
    Backspace: 0x08, Tab: 0x09, Enter: 0x0D, NumpadEnter: 0x0D, ShiftLeft: 0x10, ShiftRight: 0x10,
    ControlLeft: 0x11, ControlRight: 0x11, Space: 0x20, ArrowLeft: 0x25, ArrowUp: 0x26,
    ArrowRight: 0x27, ArrowDown: 0x28, Execute: 0x2B, Delete: 0x2E, Comma: 0xBC, Period: 0xBE,
    Slash: 0xBF, IntlBackslash: 0xE2,
};
for (let d = 0; d <= 9; ++d) keyCodes['Digit' + d] = 0x30 + d;
for (let c = 65; c <= 90; ++c) keyCodes['Key' + String.fromCharCode(c)] = c;

const $ = (id) => document.getElementById(id);
const canvas = $('screen');
const context2d = canvas.getContext('2d', { alpha: false });
const image = context2d.createImageData(width, height);
const statusLine = $('status');

let M = null;              // the module
let paused = false;
let muted = false;
let audio = null;          // { context, gain, push(Int16Array) }
let clock = null;          // { source: 'audio'|'page', base, produced }
let drawn = -1;            // machine frame last drawn
let recording = null;      // test hook: samples kept as produced
let messageTimer = 0;

// ---- storage: IndexedDB, one store of named records ---------------------------------------
const storage = (() => {
    let opened = null;
    function db() {
        if (!opened) {
            opened = new Promise((resolve, reject) => {
                const request = indexedDB.open('ollendor', 1);
                request.onupgradeneeded = () => request.result.createObjectStore('files');
                request.onsuccess = () => resolve(request.result);
                request.onerror = () => reject(request.error);
            });
        }
        return opened;
    }
    function run(mode, work) {
        return db().then((d) => new Promise((resolve, reject) => {
            const transaction = d.transaction('files', mode);
            const request = work(transaction.objectStore('files'));
            transaction.oncomplete = () => resolve(request.result);
            transaction.onerror = () => reject(transaction.error);
        }));
    }
    return {
        get: (key) => run('readonly', (s) => s.get(key)),
        put: (key, value) => run('readwrite', (s) => s.put(value, key)),
        remove: (key) => run('readwrite', (s) => s.delete(key)),
    };
})();

// ---- the module's memory ------------------------------------------------------------------
function withBytes(bytes, work) {
    const pointer = M._malloc(Math.max(bytes.length, 1));
    M.HEAPU8.set(bytes, pointer);
    try {
        return work(pointer, bytes.length);
    } finally {
        M._free(pointer);
    }
}

function withText(text, work) {
    return withBytes(new TextEncoder().encode(text + '\0'), (pointer) => work(pointer));
}

// ---- the machine ---------------------------------------------------------------------------
let folderLines = '(here: drop all three on the page)';

function startMachine(roms) {
    // roms: null for the built-in set, else { osrom, basicrom, assemrom } as Uint8Arrays.
    withText(folderLines, (folders) => {
        if (!roms) {
            M._ow_start(0, 0, 0, 0, 0, 0, folders);
            return;
        }
        withBytes(roms.osrom, (os, osLength) => withBytes(roms.basicrom, (basic, basicLength) =>
            withBytes(roms.assemrom, (assem, assemLength) =>
                M._ow_start(os, osLength, basic, basicLength, assem, assemLength, folders))));
    });
    drawn = -1;
    updateButtons();
}

function runFrame() {
    const count = M._ow_run_frame();
    if (count > 0) {
        const pointer = M._ow_samples() >> 1;
        const samples = M.HEAP16.slice(pointer, pointer + count);
        M._ow_samples_taken();
        if (recording) recording.push(samples);
        if (audio && !muted) audio.push(samples);
        if (clock) clock.produced += count;
    }
    const message = M.UTF8ToString(M._ow_message());
    if (message) say(message);
}

function draw() {
    const frame = M._ow_frames();
    if (frame === drawn) return;
    drawn = frame;
    const pointer = M._ow_picture();
    image.data.set(M.HEAPU8.subarray(pointer, pointer + width * height * 4));
    context2d.putImageData(image, 0, 0);
}

// ---- pacing --------------------------------------------------------------------------------
// Samples the clock has played so far.
function clockSamples() {
    if (clock.source === 'audio') return audio.context.currentTime * machineRate - clock.base;
    return (performance.now() / 1000) * machineRate - clock.base;
}

function resetClock() {
    const source = audio && audio.context.state === 'running' ? 'audio' : 'page';
    clock = { source, base: 0, produced: 0 };
    clock.base = clockSamples();
}

function tick() {
    if (!M || manual || paused) return;
    const wantedSource = audio && audio.context.state === 'running' ? 'audio' : 'page';
    if (!clock || clock.source !== wantedSource) resetClock();
    const target = clockSamples() + samplesAhead;
    let frames = 0;
    while (clock.produced < target && frames < maxFramesPerTick) {
        runFrame();
        ++frames;
    }
    // Far behind (a hidden tab, a stalled page): what was missed is let go.
    if (clock.produced < target - machineRate / 4) resetClock();
}

function animate() {
    if (M) draw();
    requestAnimationFrame(animate);
}

// ---- sound ---------------------------------------------------------------------------------
async function startSound() {
    if (audio || manual) {
        if (audio && audio.context.state !== 'running') audio.context.resume();
        return;
    }
    const AudioContextClass = window.AudioContext || window.webkitAudioContext;
    if (!AudioContextClass) return;
    let context;
    try {
        context = new AudioContextClass({ sampleRate: machineRate, latencyHint: 'interactive' });
    } catch (e) {
        context = new AudioContextClass();
    }
    const gain = context.createGain();
    gain.gain.value = muted ? 0 : 1;
    gain.connect(context.destination);
    audio = { context, gain, push: () => {}, kind: 'script processor' };
    // ?sound=script takes the older output even where an AudioWorklet could run.
    if (context.audioWorklet && window.isSecureContext && params.get('sound') !== 'script') {
        try {
            await context.audioWorklet.addModule('audio-worklet.js');
            const node = new AudioWorkletNode(context, 'ollendor-sound', { outputChannelCount: [1] });
            node.connect(gain);
            audio.push = (samples) => node.port.postMessage(samples, [samples.buffer]);
            audio.kind = 'AudioWorklet';
        } catch (e) {
            audio.push = scriptProcessorOutput(context, gain);
        }
    } else {
        // No secure context (a plain http address other than localhost): no AudioWorklet.
        audio.push = scriptProcessorOutput(context, gain);
    }
    await context.resume();
    $('start-hint').hidden = true;
}

function scriptProcessorOutput(context, gain) {
    const chunks = [];
    let offset = 0;
    const step = machineRate / context.sampleRate;
    const node = context.createScriptProcessor(2048, 0, 1);
    node.onaudioprocess = (event) => {
        const out = event.outputBuffer.getChannelData(0);
        for (let i = 0; i < out.length; ++i) {
            const chunk = chunks[0];
            if (!chunk) { out[i] = 0; continue; }
            out[i] = chunk[Math.floor(offset)] / 32768;
            offset += step;
            if (offset >= chunk.length) { offset -= chunk.length; chunks.shift(); }
        }
    };
    node.connect(gain);
    return (samples) => {
        chunks.push(samples);
        while (chunks.length > 16) chunks.shift();
    };
}

// ---- keys ----------------------------------------------------------------------------------
// Caps Lock as the machine takes it: bit 0 while locked, bit 15 while its key is held.
function capsState(event, down) {
    const locked = event.getModifierState && event.getModifierState('CapsLock') ? 1 : 0;
    return locked | (event.code === 'CapsLock' && down ? 0x8000 : 0);
}

function typingTarget(event) {
    const t = event.target;
    return t && (t.tagName === 'INPUT' || t.tagName === 'TEXTAREA' || t.isContentEditable);
}

window.addEventListener('keydown', (event) => {
    if (typingTarget(event) || event.metaKey || event.altKey) return;
    startSound();
    if (!M) return;
    M._ow_caps_lock(capsState(event, true));
    const code = keyCodes[event.code];
    if (code === undefined) return;
    M._ow_key(code, 1);
    event.preventDefault();
});
window.addEventListener('keyup', (event) => {
    if (!M) return;
    M._ow_caps_lock(capsState(event, false));
    const code = keyCodes[event.code];
    if (code === undefined) return;
    M._ow_key(code, 0);
    event.preventDefault();
});
// Keys held while the page loses focus would stay down for ever.
window.addEventListener('blur', () => M && M._ow_release_keys());

// ---- files ---------------------------------------------------------------------------------
function baseName(name) {
    return name.toLowerCase().replace(/\.[^.]*$/, '');
}

function isState(bytes) {
    return bytes.length >= 8 && String.fromCharCode(...bytes.subarray(0, 8)) === stateMagic;
}

async function storedRoms() {
    const images = {};
    for (const name of romNames) {
        const bytes = await storage.get('rom:' + name);
        if (!bytes) return null;
        images[name] = bytes;
    }
    return images;
}

async function openFiles(files) {
    const roms = {};
    for (const file of files) {
        const bytes = new Uint8Array(await file.arrayBuffer());
        const name = baseName(file.name);
        if (romNames.includes(name)) {
            roms[name] = bytes;
        } else if (isState(bytes)) {
            loadState(bytes, file.name);
        } else {
            await mountTape(bytes, file.name);
        }
    }
    const given = Object.keys(roms);
    if (given.length === 0) return;
    const missing = romNames.filter((n) => !roms[n]);
    if (missing.length > 0) {
        say('A ROM set needs all three images at once; missing: ' + missing.join(', ') + '. Nothing was changed.');
        return;
    }
    for (const name of romNames) await storage.put('rom:' + name, roms[name]);
    startMachine(roms);
    say('The machine started with the ROM images ' + romNames.join(', ') + ' (kept for your next visit).');
}

async function mountTape(bytes, name) {
    if (bytes.length === 0) {
        say(name + ' is empty: not a tape.');
        return;
    }
    withBytes(bytes, (pointer, length) => M._ow_mount_tape(pointer, length));
    await storage.put('tape', { name, bytes });
    tapeName = name;
    say('Tape ' + name + ' is in: the machine loads it when it next asks for a tape.');
    updateButtons();
}

let tapeName = null;

// The built-in ROM's demo tape, from the site, while the visitor has put in no tape.
async function mountDemoTape() {
    try {
        const response = await fetch('OLLENDEMO');
        if (!response.ok) return;
        const bytes = new Uint8Array(await response.arrayBuffer());
        withBytes(bytes, (pointer, length) => M._ow_mount_tape(pointer, length));
        tapeName = 'OLLENDEMO (the demo tape)';
    } catch (e) {
        // No demo tape: the tape page says the tape is missing.
    }
}

async function ejectTape() {
    M._ow_mount_tape(0, 0);
    await storage.remove('tape');
    say('Tape ' + tapeName + ' taken out.');
    tapeName = null;
    updateButtons();
}

// ---- states --------------------------------------------------------------------------------
function saveState() {
    const length = M._ow_save_state();
    const pointer = M._ow_bytes();
    return M.HEAPU8.slice(pointer, pointer + length);
}

function loadState(bytes, what) {
    const error = withBytes(bytes, (pointer, length) => M.UTF8ToString(M._ow_load_state(pointer, length)));
    if (error) {
        say('Cannot load ' + what + ': ' + error + '. The machine runs on as it was.');
        return false;
    }
    drawn = -1;
    say('Loaded ' + what + '.');
    return true;
}

async function saveSlot(slot) {
    await storage.put('slot' + slot, { bytes: saveState(), time: Date.now() });
    say('Saved in slot ' + slot + '.');
    await showSlots();
}

async function loadSlot(slot) {
    const record = await storage.get('slot' + slot);
    if (!record) {
        say('Slot ' + slot + ' is empty.');
        return false;
    }
    return loadState(record.bytes, 'slot ' + slot);
}

async function showSlots() {
    const box = $('slots');
    box.textContent = '';
    for (let slot = 1; slot <= slotCount; ++slot) {
        const record = await storage.get('slot' + slot);
        const item = document.createElement('span');
        item.className = 'slot';
        const label = document.createElement('span');
        label.textContent = 'Slot ' + slot + (record ? ' (' + new Date(record.time).toLocaleTimeString() + ')' : ' (empty)');
        const save = button('Save', () => saveSlot(slot));
        save.id = 'save-slot-' + slot;
        const load = button('Load', () => loadSlot(slot));
        load.id = 'load-slot-' + slot;
        load.disabled = !record;
        item.append(label, save, load);
        box.append(item);
    }
}

function button(text, action) {
    const b = document.createElement('button');
    b.type = 'button';
    b.textContent = text;
    b.addEventListener('click', (event) => {
        event.currentTarget.blur();
        guarded(action)();
    });
    return b;
}

// An action whose failure (the browser's storage refusing, a file that cannot be read) is
// told on the page instead of lost.
function guarded(action) {
    return () => Promise.resolve().then(action).catch((error) => say('That did not work: ' + error));
}

function download(bytes, name) {
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    const a = document.createElement('a');
    a.href = url;
    a.download = name;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
}

// ---- the page ------------------------------------------------------------------------------
function say(text) {
    statusLine.textContent = text;
    clearTimeout(messageTimer);
    messageTimer = setTimeout(() => { messageTimer = 0; showState(); }, 8000);
}

function showState() {
    const parts = [];
    parts.push(M && M._ow_rom_builtin() ? 'Built-in ROM' : 'ROM images osrom, basicrom, assemrom');
    parts.push(tapeName ? 'tape: ' + tapeName : 'no tape');
    if (paused) parts.push('paused');
    if (muted) parts.push('muted');
    statusLine.textContent = parts.join(' · ');
}

function updateButtons() {
    $('pause').textContent = paused ? 'Resume' : 'Pause';
    $('pause').setAttribute('aria-pressed', String(paused));
    $('mute').textContent = muted ? 'Unmute' : 'Mute';
    $('mute').setAttribute('aria-pressed', String(muted));
    $('eject').disabled = !tapeName;
    $('builtin-rom').disabled = !M || M._ow_rom_builtin() === 1;
    if (!messageTimer) showState();
}

// The picture scaled by the largest whole number that fits, in device pixels.
function fitScreen() {
    const box = $('screen-box');
    const full = document.fullscreenElement === box;
    const ratio = window.devicePixelRatio || 1;
    const availableWidth = (full ? window.innerWidth : box.clientWidth) * ratio;
    // Out of full screen, room is left above and below for the title and the buttons.
    const availableHeight = (full ? window.innerHeight : Math.max(window.innerHeight - 190, height)) * ratio;
    const scale = Math.max(1, Math.floor(Math.min(availableWidth / width, availableHeight / height)));
    canvas.style.width = (width * scale) / ratio + 'px';
    canvas.style.height = (height * scale) / ratio + 'px';
}

function wireControls() {
    const act = (id, action) => $(id).addEventListener('click', (event) => {
        event.currentTarget.blur(); // Space and Enter belong to the machine, not the button
        startSound();
        guarded(action)();
    });
    act('pause', () => {
        paused = !paused;
        if (paused) M._ow_release_keys();
        clock = null;
        updateButtons();
    });
    act('reset', () => {
        M._ow_reset();
        drawn = -1;
        say('Reset.');
    });
    act('mute', () => {
        muted = !muted;
        if (audio) audio.gain.gain.value = muted ? 0 : 1;
        updateButtons();
    });
    act('fullscreen', () => {
        const box = $('screen-box');
        if (document.fullscreenElement) document.exitFullscreen();
        else if (box.requestFullscreen) box.requestFullscreen().then(() => box.focus());
    });
    act('open-file', () => $('file-input').click());
    $('file-input').addEventListener('change', async (event) => {
        const files = [...event.target.files];
        event.target.value = '';
        await guarded(() => openFiles(files))();
    });
    act('download-state', () => {
        const stamp = new Date().toISOString().replace(/[:T]/g, '-').replace(/\..*$/, '');
        download(saveState(), 'ollendor-' + stamp + '.state');
    });
    act('eject', ejectTape);
    act('builtin-rom', async () => {
        for (const name of romNames) await storage.remove('rom:' + name);
        startMachine(null);
        say('The machine started with the built-in ROM.');
    });
    $('screen-box').addEventListener('pointerdown', () => {
        startSound();
        $('screen-box').focus();
    });

    const zone = document.body;
    zone.addEventListener('dragover', (event) => {
        event.preventDefault();
        $('drop-zone').classList.add('dragging');
    });
    zone.addEventListener('dragleave', () => $('drop-zone').classList.remove('dragging'));
    zone.addEventListener('drop', (event) => {
        event.preventDefault();
        $('drop-zone').classList.remove('dragging');
        const files = [...event.dataTransfer.files];
        guarded(() => openFiles(files))();
    });
    window.addEventListener('resize', fitScreen);
    document.addEventListener('fullscreenchange', fitScreen);
}

// ---- what the tests and the curious use -----------------------------------------------------
function exposeApi(ready) {
    window.ollendor = {
        ready,
        // Runs frames at once (with ?manual the machine runs only so) and draws the last.
        runFrames(count) {
            for (let i = 0; i < count; ++i) runFrame();
            draw();
            return M._ow_frames();
        },
        frames: () => M._ow_frames(),
        // Power-on with the welcome page's folder lines (the desktop's for its pictures).
        reset(folders) {
            if (folders !== undefined) folderLines = folders;
            return storedRoms().then((roms) => startMachine(roms));
        },
        recordSamples() { recording = []; },
        takeRecording() {
            const all = recording || [];
            recording = null;
            const total = all.reduce((n, c) => n + c.length, 0);
            const out = new Int16Array(total);
            let at = 0;
            for (const c of all) { out.set(c, at); at += c.length; }
            return Array.from(out);
        },
        saveSlot, loadSlot, openFiles,
        stateBytes: () => Array.from(saveState()),
        romBuiltin: () => M._ow_rom_builtin() === 1,
        // 'off', or the audio context's state, its rate, what plays the samples and the clock
        // that paces the machine.
        sound: () => (audio ? `${audio.context.state} ${audio.context.sampleRate} Hz, ${audio.kind}` : 'off') +
            (clock ? `, paced by the ${clock.source} clock` : ''),
        status: () => statusLine.textContent,
    };
}

async function main() {
    wireControls();
    fitScreen();
    if (manual) $('start-hint').hidden = true;
    let resolveReady;
    exposeApi(new Promise((resolve) => { resolveReady = resolve; }));
    try {
        M = await createOllendor({ locateFile: (file) => file });
    } catch (e) {
        statusLine.textContent = 'The machine could not start: ' + e;
        return;
    }
    let roms = null, tape = null;
    try {
        roms = await storedRoms();
        tape = await storage.get('tape');
    } catch (e) {
        say('This browser keeps no files for the page (' + e + '); everything else works.');
    }
    startMachine(roms);
    if (tape) {
        withBytes(tape.bytes, (pointer, length) => M._ow_mount_tape(pointer, length));
        tapeName = tape.name;
    } else {
        await mountDemoTape();
    }
    await showSlots().catch(() => {});
    updateButtons();
    draw();
    setInterval(tick, 5);
    requestAnimationFrame(animate);
    resolveReady(true);
}

main();
})();
