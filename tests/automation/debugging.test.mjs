// A whole debugging session through the SDK's client, as a Z80 programmer would run one:
// a program with a planted fault (a copy loop one byte too long, clobbering a sentinel) is
// loaded, run, found wrong, taken back to the faulty write by a conditional write
// breakpoint and reverse_continue, looked at (registers, call stack, trace), mended with
// write_memory and run to its end; the result checked in memory and in the picture (the
// program sets the backdrop green when the sentinel survives, red when not).
import assert from "node:assert/strict";
import test from "node:test";
import { inflateSync } from "node:zlib";
import { Client } from "@modelcontextprotocol/sdk/client/index.js";
import { StdioClientTransport } from "@modelcontextprotocol/sdk/client/stdio.js";
import { call } from "./scenario.mjs";

const program = process.env.OLLENDOR;

// $8000: DI; LD SP,$F000; LD A,$AA; LD ($9008),A; CALL copy; LD A,($9008); CP $AA;
//        LD A,2; JR Z,+2; LD A,6; OUT (2),A; LD A,$87; OUT (2),A (backdrop colour); end: JR $
// $8020 copy: LD HL,$8040; LD DE,$9000; LD B,9 (the fault: 8 bytes are meant); loop:
//        LD A,(HL); LD (DE),A; INC HL; INC DE; DJNZ loop; RET
// $8030 (the start): LD A,$C0; OUT (2),A; LD A,$81; OUT (2),A (the display on); JP $8000
// $8040: the 8 bytes to copy, and one more after them.
const code =
  "F331 00F0 3EAA 320890 CD2080 3A0890 FEAA 3E02 2802 3E06 D302 3E87 D302 18FE 00" +
  "214080 110090 0609 7E 12 23 13 10FA C9 00" + "3EC0 D302 3E81 D302 C30080 0000000000" +
  "112233445566778899";
const end = 0x801d, copyLoopWrite = 0x8029, sentinel = 0x9008, countOperand = 0x8027;

async function data(client, name, args = {}) {
  return (await call(client, name, args)).structuredContent;
}

// The colour of the picture's top left pixel (the border: the backdrop colour). The first
// pixel of a PNG's first row is its bytes as they are, whatever the row's filter.
async function borderColour(client) {
  await data(client, "step_frames", { count: 2 }); // a picture drawn since the OUT
  const shot = await client.callTool({ name: "screenshot", arguments: {} });
  const png = Buffer.from(shot.content.find((item) => item.type === "image").data, "base64");
  const idat = [];
  let colourType = 0;
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at), type = png.toString("latin1", at + 4, at + 8);
    if (type === "IHDR") colourType = png[at + 8 + 9];
    if (type === "IDAT") idat.push(png.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  assert.ok(colourType === 2 || colourType === 6, "an RGB(A) picture");
  const raw = inflateSync(Buffer.concat(idat));
  return { r: raw[1], g: raw[2], b: raw[3] };
}

// What the call stack and the trace said at the faulty write, reached by going back.
const afterGoingBack = {};

test("a debugging session: load, find the fault going back, mend, check", { timeout: 120000 }, async () => {
  const transport = new StdioClientTransport({
    command: program, args: ["--headless", "--mcp-stdio", "--paused", "--unconstrained"], stderr: "ignore",
  });
  const client = new Client({ name: "ollendor-debugging-test", version: "1.0" });
  await client.connect(transport);
  try {
    const loaded = await data(client, "load_binary", { hex: code.replaceAll(" ", ""), address: "0x8000", start: "$8030" });
    assert.equal(loaded.start, 0x8030);

    // Run it: the sentinel is gone and the picture says so.
    let status = await data(client, "run_to", { address: end, until_stop_ms: 10000 });
    assert.equal(status.pc, end);
    assert.equal((await data(client, "read_memory", { area: "cpu", address: sentinel, length: 1 })).hex, "99");
    const wrong = await borderColour(client);
    assert.ok(wrong.r > wrong.g, `a red backdrop: ${JSON.stringify(wrong)}`);

    // Back to the write that clobbered it: stopped right after it, in the copy loop's last round.
    const breakpoint = await data(client, "set_breakpoint", {
      kind: "write", address: "0x9008", condition: "A != 0xAA && B == 1",
    });
    status = await data(client, "reverse_continue");
    assert.equal(status.pc, copyLoopWrite + 1);
    assert.match(status.stop_reason, new RegExp(`breakpoint ${breakpoint.id}`));
    const registers = await data(client, "get_registers");
    assert.equal(registers.bc >> 8, 1, "B: the last round");
    assert.equal(registers.de, sentinel);
    // Who called it, and what ran just before (checked by the test after this one).
    afterGoingBack.stack = await data(client, "get_call_stack");
    afterGoingBack.trace = await data(client, "get_trace", { count: 8 });

    // Mend: the count for the next run, the sentinel for this one; then on to the end.
    await data(client, "write_memory", { area: "cpu", address: countOperand, hex: "08" });
    await data(client, "write_memory", { area: "cpu", address: sentinel, hex: "AA" });
    status = await data(client, "run_to", { address: end, until_stop_ms: 10000 });
    assert.equal(status.pc, end);
    assert.equal((await data(client, "read_memory", { area: "cpu", address: 0x9000, length: 9 })).hex,
      "1122334455667788AA");
    const right = await borderColour(client);
    assert.ok(right.g > right.r, `a green backdrop: ${JSON.stringify(right)}`);

    // The mended program from its start: right on its own.
    await data(client, "write_memory", { area: "cpu", address: 0x9000, hex: "000000000000000000" });
    await data(client, "set_register", { name: "pc", value: 0x8030 });
    status = await data(client, "run_to", { address: end, until_stop_ms: 10000 });
    assert.equal((await data(client, "read_memory", { area: "cpu", address: 0x9000, length: 9 })).hex,
      "1122334455667788AA");
  } finally {
    await client.close();
  }
});

// The history going back leaves: the call stack and the trace of how the machine came to
// the point it went back to, whenever they are first asked.
test("after going back, the call stack and the trace tell how the machine got there", () => {
  const { stack, trace } = afterGoingBack;
  assert.ok(stack && trace, "the session came to the faulty write");
  assert.equal(stack.frames.length, 1, JSON.stringify(stack));
  assert.equal(stack.frames[0].target, 0x8020);
  assert.equal(stack.frames[0].return_to, 0x800c);
  assert.equal(trace.entries.at(-1).pc, copyLoopWrite, JSON.stringify(trace.entries.at(-1)));
  assert.ok(trace.entries.some((entry) => entry.text.startsWith("DJNZ")), "the loop's rounds are in the trace");
});
