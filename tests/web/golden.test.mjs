// The page's canvas against the desktop's reference pictures of the built-in ROM, pixel for
// pixel, with the keys typed through the browser on the frames the desktop's typist uses.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { serve, launch, open, canvasPixels, readPng, compare, typeAndRun, typingStart, dropFiles, source, binary } from './support.mjs';

const cases = readFileSync(join(source, 'tests/golden/cases.txt'), 'utf8').split('\n')
    .filter((line) => line.trim() && !line.startsWith('#'))
    .map((line) => { const [name, frames, typed] = line.trim().split(/\s+/); return { name, frames: Number(frames), typed }; });

let server, chrome, page;
before(async () => {
    server = await serve();
    chrome = await launch();
    page = await open(chrome.browser, server.url);
    // The desktop's pictures were made with the demo tape at hand.
    await dropFiles(page, [{ name: 'OLLENDEMO', bytes: readFileSync(join(binary, 'tapes/OLLENDEMO')) }]);
    await page.waitForFunction(() => window.ollendor.status().startsWith('Tape OLLENDEMO is in'));
});
after(async () => {
    await chrome?.close();
    await server?.close();
});

for (const { name, frames, typed } of cases) {
    test(`the canvas shows tests/golden/${name}.png`, async () => {
        await typeAndRun(page, frames, typed);
        const golden = readPng(join(source, `tests/golden/${name}.png`));
        const shown = await canvasPixels(page);
        assert.equal(shown.length, golden.rgba.length, 'the canvas is 320 x 200');
        const { count, first } = compare(shown, golden.rgba, golden.width);
        assert.equal(count, 0, `${count} pixels differ, the first at (${first?.x}, ${first?.y})`);
        assert.deepEqual(page.errors, []);
    });
}

test('a key tapped between two frames still reaches the machine', async () => {
    await typeAndRun(page, typingStart, '-');
    await page.keyboard.press('Digit2'); // down and up before the next frame
    await page.evaluate(() => window.ollendor.runFrames(8));
    const tapped = await canvasPixels(page);
    await typeAndRun(page, typingStart + 8, '-');
    const untouched = await canvasPixels(page);
    assert.ok(compare(tapped, untouched, 320).count > 1000, 'the tap changed the page');
});
