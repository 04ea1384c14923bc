// What the page keeps in the browser: a state in a slot, loaded after a reload, gives the
// same picture; a tape dropped on the page loads on the built-in ROM's tape page; a ROM set
// dropped on the page is used again after a reload. Also: state files are the desktop's.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { serve, launch, open, canvasPixels, readPng, compare, dropFiles, typeAndRun, source, binary } from './support.mjs';

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
