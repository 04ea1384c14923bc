// What the page tests share: a static server for the built page on 127.0.0.1, Debian's
// Chromium driven by puppeteer-core, and PNG reading for the golden pictures.
import { createServer } from 'node:http';
import { readFileSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, extname, normalize } from 'node:path';
import { inflateSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

export const site = process.env.OLLENDOR_WEB;          // the built page (build-web)
export const source = process.env.OLLENDOR_SOURCE;     // the source tree
export const binary = process.env.OLLENDOR_BINARY;     // the desktop build (demo tape, test ROM)
export const chromium = process.env.OLLENDOR_CHROMIUM || '/usr/bin/chromium';
export const program = process.env.OLLENDOR_PROGRAM;   // the desktop program, where built

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.css': 'text/css', '.png': 'image/png' };

// Serves the site folder; resolves to { url, close }.
export function serve(folder = site) {
    const server = createServer((request, response) => {
        const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
        const file = join(folder, path === '/' ? 'index.html' : path);
        try {
            if (!file.startsWith(folder) || !statSync(file).isFile()) throw new Error('no file');
            response.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream' });
            response.end(readFileSync(file));
        } catch {
            response.writeHead(404);
            response.end();
        }
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
        url: `http://127.0.0.1:${server.address().port}`,
        close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); }),
    })));
}

// A fresh Chromium with a profile of its own (removed by close).
export async function launch() {
    const profile = mkdtempSync(join(tmpdir(), 'ollendor-chromium-'));
    const browser = await puppeteer.launch({
        executablePath: chromium,
        headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync',
               '--autoplay-policy=no-user-gesture-required', `--user-data-dir=${profile}`],
        protocolTimeout: 60000,
    });
    return {
        browser,
        async close() {
            await browser.close();
            rmSync(profile, { recursive: true, force: true });
        },
    };
}

// Opens the page (query e.g. '?manual') and waits for the machine; page errors fail it.
export async function open(browser, url, query = '?manual') {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    page.on('console', (message) => { if (message.type() === 'error') errors.push(message.text()); });
    page.errors = errors;
    await page.setViewport({ width: 1000, height: 760 });
    await page.goto(url + '/index.html' + query);
    await page.waitForFunction(() => window.ollendor && window.ollendor.ready);
    await page.evaluate(() => window.ollendor.ready);
    return page;
}

// The canvas as RGBA bytes.
export async function canvasPixels(page) {
    const data = await page.evaluate(() => {
        const canvas = document.getElementById('screen');
        return Array.from(canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data);
    });
    return Uint8Array.from(data);
}

// An 8-bit RGB or RGBA PNG, not interlaced, as { width, height, rgba }.
export function readPng(path) {
    const bytes = readFileSync(path);
    let at = 8, width = 0, height = 0, channels = 0;
    const idat = [];
    while (at < bytes.length) {
        const length = bytes.readUInt32BE(at);
        const type = bytes.toString('latin1', at + 4, at + 8);
        const body = bytes.subarray(at + 8, at + 8 + length);
        if (type === 'IHDR') {
            width = body.readUInt32BE(0);
            height = body.readUInt32BE(4);
            if (body[8] !== 8 || body[12] !== 0 || (body[9] !== 2 && body[9] !== 6))
                throw new Error(`${path}: only 8-bit RGB(A) PNGs without interlacing are read here`);
            channels = body[9] === 2 ? 3 : 4;
        } else if (type === 'IDAT') {
            idat.push(body);
        }
        at += 12 + length;
    }
    const raw = inflateSync(Buffer.concat(idat));
    const stride = width * channels;
    const rgba = new Uint8Array(width * height * 4);
    let previous = new Uint8Array(stride);
    for (let y = 0; y < height; ++y) {
        const filter = raw[y * (stride + 1)];
        const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        const out = new Uint8Array(stride);
        for (let x = 0; x < stride; ++x) {
            const a = x >= channels ? out[x - channels] : 0, b = previous[x];
            const c = x >= channels ? previous[x - channels] : 0;
            let predictor = 0;
            if (filter === 1) predictor = a;
            else if (filter === 2) predictor = b;
            else if (filter === 3) predictor = (a + b) >> 1;
            else if (filter === 4) {
                const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
                predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            }
            out[x] = (line[x] + predictor) & 0xFF;
        }
        for (let x = 0; x < width; ++x) {
            for (let k = 0; k < 3; ++k) rgba[(y * width + x) * 4 + k] = out[x * channels + k];
            rgba[(y * width + x) * 4 + 3] = channels === 4 ? out[x * channels + 3] : 255;
        }
        previous = out;
    }
    return { width, height, rgba };
}

// How many pixels differ, and the first one.
export function compare(actual, expected, width) {
    let count = 0, first = null;
    for (let i = 0; i < expected.length; i += 4) {
        if (actual[i] !== expected[i] || actual[i + 1] !== expected[i + 1] || actual[i + 2] !== expected[i + 2]) {
            if (!first) first = { x: (i / 4) % width, y: Math.floor(i / 4 / width) };
            ++count;
        }
    }
    return { count, first };
}

// Puts files on the page as a drop would: a DataTransfer with the files, dropped on the body.
export async function dropFiles(page, files) {
    const payload = files.map(({ name, bytes }) => ({ name, bytes: Array.from(bytes) }));
    await page.evaluate((items) => {
        const transfer = new DataTransfer();
        for (const { name, bytes } of items)
            transfer.items.add(new File([Uint8Array.from(bytes)], name));
        document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, payload);
}

// The desktop's golden runs start from "/" with HOME=/home/mtx: its welcome page names these
// folders, so the page is told the same lines.
const desktopFolders = '/\n/home/mtx/.local/share/ollendor/roms';
export const typingStart = 30, keyDown = 3, keyUp = 3;

function codeOf(character) {
    return /[0-9]/.test(character) ? 'Digit' + character : 'Key' + character.toUpperCase();
}

// Runs `frames` frames from power-on, the characters typed from typingStart on.
export async function typeAndRun(page, frames, typed) {
    await page.evaluate((folders) => window.ollendor.reset(folders), desktopFolders);
    const keys = typed === '-' ? [] : [...typed];
    let frame = 0;
    const runTo = async (target) => {
        const count = Math.min(target, frames) - frame;
        if (count > 0) await page.evaluate((n) => window.ollendor.runFrames(n), count);
        frame = Math.max(frame, Math.min(target, frames));
    };
    let at = typingStart;
    for (const key of keys) {
        await runTo(at);
        if (frame >= frames) break;
        await page.keyboard.down(codeOf(key));
        await runTo(at + keyDown);
        if (frame >= frames) break;
        await page.keyboard.up(codeOf(key));
        at += keyDown + keyUp;
    }
    await runTo(frames);
}

