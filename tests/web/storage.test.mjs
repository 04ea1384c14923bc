// What the page keeps in the browser: a state in a slot, loaded after a reload, gives the
// same picture; a tape dropped on the page loads on the built-in ROM's tape page; a ROM set
// dropped on the page is used again after a reload. Also: state files are the desktop's.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync, mkdtempSync, rmSync } from 'node:fs';
import { execFileSync } from 'node:child_process';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve, launch, open, canvasPixels, readPng, compare, dropFiles, typeAndRun, source, binary, program } from './support.mjs';

let server, chrome, page;
before(async () => {
    server = await serve();
    chrome = await launch();
    page = await open(chrome.browser, server.url);
});
after(async () => {
    await chrome?.close();
    await server?.close();
});

async function reload() {
    await page.reload();
    await page.waitForFunction(() => window.ollendor && window.ollendor.ready);
    await page.evaluate(() => window.ollendor.ready);
}

test('a state saved in a slot and loaded after a reload gives the same picture', async () => {
    await typeAndRun(page, 60, '4'); // the graphics page, its sprites on the move
    await page.evaluate(() => window.ollendor.saveSlot(2));
    const saved = await canvasPixels(page);
    await page.evaluate(() => window.ollendor.runFrames(20));
    assert.ok(compare(await canvasPixels(page), saved, 320).count > 0, 'the picture moved on');
    await reload();
    assert.equal(await page.evaluate(() => window.ollendor.loadSlot(2)), true);
    await page.evaluate(() => window.ollendor.runFrames(0));
    assert.equal(compare(await canvasPixels(page), saved, 320).count, 0);
    assert.equal(await page.evaluate(() => window.ollendor.loadSlot(3)), false, 'slot 3 is empty');
    assert.deepEqual(page.errors, []);
});

test('a file that is no state is refused and the machine runs on', async () => {
    const before = await canvasPixels(page);
    const bad = new TextEncoder().encode('OLLSTATE but not really a state file at all');
    await dropFiles(page, [{ name: 'broken.state', bytes: bad }]);
    await page.waitForFunction(() => window.ollendor.status().startsWith('Cannot load broken.state'));
    await page.evaluate(() => window.ollendor.runFrames(0));
    assert.equal(compare(await canvasPixels(page), before, 320).count, 0);
});

test('a tape dropped on the page loads on the tape page', async () => {
    const golden = readPng(join(source, 'tests/golden/tape.png'));
    // Without a tape the page shows the load failing.
    await page.click('#eject');
    await page.waitForFunction(() => window.ollendor.status().startsWith('Tape OLLENDEMO (the demo tape) taken out'));
    await typeAndRun(page, 40, '5');
    assert.ok(compare(await canvasPixels(page), golden.rgba, golden.width).count > 0, 'no tape, no load');
    const tape = readFileSync(join(binary, 'tapes/OLLENDEMO'));
    await dropFiles(page, [{ name: 'OLLENDEMO', bytes: tape }]);
    await page.waitForFunction(() => window.ollendor.status().startsWith('Tape OLLENDEMO is in'));
    await typeAndRun(page, 40, '5');
    const { count } = compare(await canvasPixels(page), golden.rgba, golden.width);
    assert.equal(count, 0, 'the tape page shows the demo tape loaded, as on the desktop');
    // Kept for the next visit.
    await reload();
    await typeAndRun(page, 40, '5');
    assert.equal(compare(await canvasPixels(page), golden.rgba, golden.width).count, 0);
});

test('a ROM set dropped on the page is used again after a reload', async () => {
    const folder = join(binary, 'testrom');
    const files = ['osrom', 'basicrom', 'assemrom'].map((name) => ({ name, bytes: readFileSync(join(folder, name)) }));
    // One image alone is not a set: nothing changes.
    await dropFiles(page, files.slice(0, 1));
    await page.waitForFunction(() => window.ollendor.status().startsWith('A ROM set needs all three'));
    assert.equal(await page.evaluate(() => window.ollendor.romBuiltin()), true);
    await dropFiles(page, files);
    await page.waitForFunction(() => !window.ollendor.romBuiltin());
    await page.evaluate(() => window.ollendor.runFrames(20));
    const dropped = await canvasPixels(page); // what the dropped set shows after 20 frames
    await reload();
    assert.equal(await page.evaluate(() => window.ollendor.romBuiltin()), false);
    await page.evaluate(() => window.ollendor.runFrames(20));
    assert.equal(compare(await canvasPixels(page), dropped, 320).count, 0);
    // The built-in ROM's welcome page is something else.
    await page.click('#builtin-rom');
    await page.waitForFunction(() => window.ollendor.romBuiltin());
    await page.evaluate(() => window.ollendor.runFrames(20));
    assert.ok(compare(await canvasPixels(page), dropped, 320).count > 0);
    assert.deepEqual(page.errors, []);
});

// The desktop program, headless, from a folder of its own: `args` and the picture it ends on.
function desktopRun(folder, args) {
    const picture = join(folder, 'desktop.png');
    execFileSync(program, ['--headless', '--screenshot', picture, ...args], { cwd: folder, stdio: 'pipe' });
    return readPng(picture);
}

test('the page and the desktop program read each other\'s state files', { skip: !program && 'no desktop program' }, async () => {
    const folder = mkdtempSync(join(tmpdir(), 'ollendor-web-state-'));
    try {
        await page.click('#builtin-rom').catch(() => {});
        await page.waitForFunction(() => window.ollendor.romBuiltin());
        // The page's state, run on for 10 frames by the desktop and by the page.
        await typeAndRun(page, 60, '4');
        const pageState = join(folder, 'page.state');
        writeFileSync(pageState, Uint8Array.from(await page.evaluate(() => window.ollendor.stateBytes())));
        await page.evaluate(() => window.ollendor.runFrames(10));
        const desktop = desktopRun(folder, ['--load-state', pageState, '--frames', '10']);
        assert.equal(compare(await canvasPixels(page), desktop.rgba, desktop.width).count, 0);
        // The desktop's state, dropped on the page, gives the desktop's picture there.
        const desktopState = join(folder, 'desktop.state');
        const saved = desktopRun(folder, ['--type', '4', '--frames', '70', '--save-state', desktopState]);
        await dropFiles(page, [{ name: 'desktop.state', bytes: readFileSync(desktopState) }]);
        await page.waitForFunction(() => window.ollendor.status().startsWith('Loaded desktop.state'));
        await page.evaluate(() => window.ollendor.runFrames(0));
        assert.equal(compare(await canvasPixels(page), saved.rgba, saved.width).count, 0);
    } finally {
        rmSync(folder, { recursive: true, force: true });
    }
});
