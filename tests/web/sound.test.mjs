// The samples the page produces for its sound output: the sound page with H held plays
// 440 Hz, and nothing is heard before a key.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { serve, launch, open } from './support.mjs';

const rate = 31250;
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

// Frequency from the rising edges of a square wave, and the peak amplitude.
function measure(samples) {
    const rising = [];
    for (let i = 1; i < samples.length; ++i)
        if (samples[i - 1] <= 0 && samples[i] > 0) rising.push(i);
    const peak = samples.reduce((m, s) => Math.max(m, Math.abs(s)), 0);
    if (rising.length < 2) return { hertz: 0, peak };
    return { hertz: ((rising.length - 1) * rate) / (rising.at(-1) - rising[0]), peak };
}

test('the sound page with H held plays 440 Hz', async () => {
    await page.evaluate(() => window.ollendor.reset());
    await page.evaluate(() => window.ollendor.runFrames(30));
    await page.keyboard.press('Digit3');
    await page.evaluate(() => window.ollendor.runFrames(6));
    await page.evaluate(() => { window.ollendor.recordSamples(); window.ollendor.runFrames(15); });
    const quiet = measure(await page.evaluate(() => window.ollendor.takeRecording()));
    assert.equal(quiet.peak, 0, 'silence before a key is held');

    await page.keyboard.down('KeyH');
    await page.evaluate(() => window.ollendor.runFrames(6));
    await page.evaluate(() => { window.ollendor.recordSamples(); window.ollendor.runFrames(60); });
    const samples = await page.evaluate(() => window.ollendor.takeRecording());
    await page.keyboard.up('KeyH');
    // 60 frames of 133,120 cycles at one sample per 128 cycles, in whole halves.
    assert.ok(Math.abs(samples.length - 60 * 1040) <= 1563, `${samples.length} samples for 60 frames`);
    const { hertz, peak } = measure(samples);
    assert.ok(peak > 1000, `the tone is heard (peak ${peak})`);
    assert.ok(Math.abs(hertz - 440) < 2, `${hertz.toFixed(2)} Hz`);
    assert.deepEqual(page.errors, []);
});

for (const [query, output] of [['', 'AudioWorklet'], ['?sound=script', 'script processor']]) {
    test(`once clicked, the page plays through ${output === 'AudioWorklet' ? 'an' : 'a'} ${output} whose clock paces the machine`, async () => {
        const live = await chrome.browser.newPage();
        await live.goto(server.url + '/index.html' + query);
        await live.evaluate(() => window.ollendor.ready);
        await live.click('#screen');
        await live.waitForFunction(() => window.ollendor.sound().includes('paced by the audio clock'));
        assert.equal(await live.evaluate(() => window.ollendor.sound()),
                     `running 31250 Hz, ${output}, paced by the audio clock`);
        const start = await live.evaluate(() => [window.ollendor.frames(), performance.now()]);
        await new Promise((resolve) => setTimeout(resolve, 2000));
        const end = await live.evaluate(() => [window.ollendor.frames(), performance.now()]);
        // 4 MHz: 30.05 frames a second of the sound's time.
        const rate = ((end[0] - start[0]) * 1000) / (end[1] - start[1]);
        assert.ok(rate > 24 && rate < 36, `${rate.toFixed(1)} frames a second`);
        await live.close();
    });
}
