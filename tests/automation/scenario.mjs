// The session every transport goes through with the SDK's client: the tools listed, the
// built-in ROM run to a breakpoint, registers and memory read, steps forward and back, a
// screenshot, a saved and loaded state, and bad requests after which the server still
// answers.
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

export const expectedTools = [
  "get_status", "pause", "resume", "step_into", "step_over", "step_out", "step_frames", "run_to",
  "reverse_step", "reverse_continue", "get_registers", "set_register", "read_memory", "write_memory",
  "disassemble", "set_breakpoint", "remove_breakpoint", "list_breakpoints", "get_call_stack", "get_trace",
  "get_video_state", "list_sprites", "get_ctc_state", "get_sound_state", "get_keyboard_state", "screenshot",
  "type_text", "press_keys", "list_tapes", "mount_tape", "save_state", "load_state", "rewind",
  "load_symbols", "lookup_symbol", "quit",
];

// A tool call that must succeed: its structured content.
export async function call(client, name, args = {}) {
  const result = await client.callTool({ name, arguments: args });
  assert.equal(result.isError, false, `${name} failed: ${JSON.stringify(result.content)}`);
  return result;
}

async function data(client, name, args = {}) {
  return (await call(client, name, args)).structuredContent;
}

// A tool call that must be refused with an error result whose text matches.
async function refused(client, name, args, pattern) {
  const result = await client.callTool({ name, arguments: args });
  assert.equal(result.isError, true, `${name} ${JSON.stringify(args)} was accepted`);
  assert.match(result.content[0].text, pattern);
}

export function checkPng(base64) {
  const png = Buffer.from(base64, "base64");
  assert.deepEqual([...png.subarray(0, 8)], [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a], "PNG signature");
  assert.equal(png.toString("latin1", 12, 16), "IHDR");
  assert.equal(png.readUInt32BE(16), 320, "width");
  assert.equal(png.readUInt32BE(20), 200, "height");
}

export async function runScenario(client) {
  // Every tool, each with its schemas.
  const { tools } = await client.listTools();
  const names = tools.map((tool) => tool.name);
  for (const name of expectedTools) assert.ok(names.includes(name), `tool ${name} is listed`);
  for (const tool of tools) {
    assert.equal(tool.inputSchema.type, "object", `${tool.name} input schema`);
    assert.ok(tool.description.length > 10, `${tool.name} has a description`);
  }
  assert.ok(tools.find((tool) => tool.name === "get_registers").outputSchema, "get_registers declares its output");

  // The ROM's clock routine, by its symbol, as a breakpoint; run until it is hit.
  const clock = (await data(client, "lookup_symbol", { name: "showClock" })).address;
  const breakpoint = (await data(client, "set_breakpoint", { kind: "exec", address: clock })).id;
  let status = await data(client, "resume", { until_stop_ms: 10000 });
  assert.equal(status.state, "paused");
  assert.equal(status.stop_reason, `breakpoint ${breakpoint}`);
  assert.equal(status.pc, clock);

  // Registers and memory: the routine starts with LD HL,(nn).
  const before = await data(client, "get_registers");
  assert.equal(before.pc, clock);
  const memory = await data(client, "read_memory", { area: "cpu", address: clock, length: 3 });
  assert.match(memory.hex, /^2A[0-9A-F]{4}$/);
  const [line] = (await data(client, "disassemble", { address: clock, count: 1 })).lines;
  assert.equal(line.bytes, memory.hex);
  assert.match(line.text, /^LD HL,\(/);
  assert.equal(line.label, "showClock");

  // One step forward, one back: the machine as it was.
  status = await data(client, "step_into");
  assert.equal(status.pc, clock + 3);
  assert.equal(status.stop_reason, "step");
  const operand = parseInt(memory.hex.slice(4, 6) + memory.hex.slice(2, 4), 16);
  const word = (await data(client, "read_memory", { area: "cpu", address: operand, length: 2 })).hex;
  assert.equal((await data(client, "get_registers")).hl, parseInt(word.slice(2, 4) + word.slice(0, 2), 16));
  status = await data(client, "reverse_step");
  assert.equal(status.pc, clock);
  assert.deepEqual(await data(client, "get_registers"), before);

  // Out of the routine: to the address its caller pushed.
  const pushed = (await data(client, "read_memory", { area: "cpu", address: before.sp, length: 2 })).hex;
  await call(client, "remove_breakpoint", { id: breakpoint });
  status = await data(client, "step_out", { until_stop_ms: 10000 });
  assert.equal(status.state, "paused");
  assert.equal(status.pc, parseInt(pushed.slice(2, 4) + pushed.slice(0, 2), 16), "back after the CALL");
  assert.equal((await data(client, "get_registers")).sp, before.sp + 2);

  // The picture.
  const shot = await client.callTool({ name: "screenshot", arguments: {} });
  const image = shot.content.find((item) => item.type === "image");
  assert.equal(image.mimeType, "image/png");
  checkPng(image.data);

  // A saved state comes back exactly.
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "ollendor-mcp-"));
  try {
    const file = path.join(folder, "here.state");
    const saved = await data(client, "get_registers");
    await call(client, "save_state", { path: file });
    assert.ok(fs.statSync(file).size > 0);
    await data(client, "step_frames", { count: 3, until_stop_ms: 10000 });
    assert.notDeepEqual(await data(client, "get_registers"), saved);
    await call(client, "load_state", { path: file });
    assert.deepEqual(await data(client, "get_registers"), saved);
    await refused(client, "load_state", { path: path.join(folder, "absent.state") }, /absent\.state/);
    assert.deepEqual(fs.readdirSync(folder), ["here.state"], "nothing else written");
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }

  // Bad requests: each refused, saying what is wrong; the server answers on.
  await refused(client, "read_memory", { area: "cpu", address: 0x10000, length: 1 }, /'address' must be from 0 to 65535/);
  await refused(client, "read_memory", { area: "cpu", address: 0, length: 0 }, /'length' must be from 1 to 65536/);
  await refused(client, "read_memory", { area: "cpu", address: 0, length: 70000 }, /'length'/);
  await refused(client, "read_memory", { area: "rom", address: 0, length: 1 }, /'area' must be one of cpu, page, vram/);
  // An address as text is a number or a symbol; anything else is refused.
  await refused(client, "read_memory", { area: "cpu", address: "nosuchlabel+2", length: 1 }, /nosuchlabel/);
  await refused(client, "read_memory", { area: "cpu", address: true, length: 1 }, /'address'/);
  await refused(client, "set_register", { name: "q", value: 1 }, /'name' must be one of/);
  await refused(client, "set_register", { name: "a", value: 256 }, /a takes 0-255/);
  await refused(client, "step_into", { count: 1, extra: true }, /unknown argument 'extra'/);
  await assert.rejects(client.callTool({ name: "no_such_tool", arguments: {} }), /Unknown tool|-32602/);
  status = await data(client, "get_status");
  assert.equal(status.state, "paused");
  await client.ping();
}
