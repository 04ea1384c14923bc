// The stdio transport: the SDK's client starts the emulator itself; then raw lines that no
// client library would send.
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import test from "node:test";
import { Client } from "@modelcontextprotocol/sdk/client/index.js";
import { StdioClientTransport } from "@modelcontextprotocol/sdk/client/stdio.js";
import { call, runScenario } from "./scenario.mjs";

const program = process.env.OLLENDOR;
const serverArgs = ["--headless", "--mcp-stdio", "--paused", "--unconstrained"];

test("the SDK client drives the emulator over stdio", { timeout: 60000 }, async () => {
  const transport = new StdioClientTransport({ command: program, args: serverArgs, stderr: "ignore" });
  const client = new Client({ name: "ollendor-test", version: "1.0" });
  await client.connect(transport);
  try {
    await runScenario(client);
    const exited = new Promise((resolve) => transport._process.once("exit", resolve));
    await call(client, "quit");
    assert.equal(await exited, 0, "the run ends cleanly on quit");
  } finally {
    await client.close();
  }
});

// Sends lines and collects the answer lines until `count` have come.
function exchange(lines, count) {
  return new Promise((resolve, reject) => {
    const child = spawn(program, serverArgs, { stdio: ["pipe", "pipe", "pipe"] });
    const answers = [];
    let pending = "";
    let stderr = "";
    child.stderr.on("data", (chunk) => { stderr += chunk; });
    child.stdout.on("data", (chunk) => {
      pending += chunk;
      let newline;
      while ((newline = pending.indexOf("\n")) >= 0) {
        answers.push(JSON.parse(pending.slice(0, newline)));
        pending = pending.slice(newline + 1);
      }
      if (answers.length >= count) child.stdin.end();
    });
    child.on("error", reject);
    child.on("exit", (code) => resolve({ answers, code, stderr, rest: pending }));
    for (const line of lines) child.stdin.write(line);
  });
}

test("bad lines get JSON-RPC errors and the server answers on; the run ends with standard input", { timeout: 60000 }, async () => {
  const huge = "[" + "1,".repeat(3 * 1024 * 1024) + "1]\n"; // over the 4 MiB limit
  const deep = "[".repeat(100000) + "]".repeat(100000) + "\n";
  const binary = Buffer.from([0xff, 0xfe, 0x00, 0x01, 0x7b, 0x0a]);
  const { answers, code, rest } = await exchange([
    "not json\n",
    huge,
    deep,
    binary,
    '{"jsonrpc":"2.0","id":1,"method":"no/such"}\n',
    '[{"jsonrpc":"2.0","id":2,"method":"ping"}]\n',
    '{"jsonrpc":"2.0","id":{"x":1},"method":"ping"}\n',
    '{"jsonrpc":"2.0","method":"notifications/initialized"}\n',
    '{"jsonrpc":"2.0","id":3,"method":"tools/call","params":{"name":"read_memory","arguments":{"area":"vram","address":16383,"length":2}}}\n',
    '{"jsonrpc":"2.0","id":4,"method":"ping"}\n',
  ], 9);
  assert.equal(rest, "", "only whole JSON lines on standard output");
  const errors = answers.filter((answer) => answer.error).map((answer) => answer.error.code);
  assert.deepEqual(errors, [-32700, -32700, -32700, -32700, -32601, -32600, -32600]);
  const memory = answers.find((answer) => answer.id === 3);
  assert.equal(memory.result.isError, true);
  assert.match(memory.result.content[0].text, /run past the end of the area/);
  assert.deepEqual(answers.at(-1), { jsonrpc: "2.0", id: 4, result: {} });
  assert.equal(code, 0, "standard input closed: the headless run ends cleanly");
});
