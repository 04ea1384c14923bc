// The Streamable HTTP transport: the SDK's client against a server on 127.0.0.1, then the
// requests it must refuse (other origins, no token, no session, bad JSON).
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import http from "node:http";
import test from "node:test";
import { Client } from "@modelcontextprotocol/sdk/client/index.js";
import { StreamableHTTPClientTransport } from "@modelcontextprotocol/sdk/client/streamableHttp.js";
import { call, runScenario } from "./scenario.mjs";

const program = process.env.OLLENDOR;

// Starts the emulator serving HTTP on a free port; gives the process and the endpoint.
function startServer(extra = []) {
  return new Promise((resolve, reject) => {
    const child = spawn(program, ["--headless", "--mcp-http", "0", "--paused", "--unconstrained", ...extra],
                        { stdio: ["ignore", "ignore", "pipe"] });
    let stderr = "";
    child.stderr.on("data", (chunk) => {
      stderr += chunk;
      const found = stderr.match(/automation server at (http:\/\/127\.0\.0\.1:\d+\/mcp)/);
      if (found) resolve({ child, url: found[1], exited: new Promise((done) => child.once("exit", done)) });
    });
    child.on("error", reject);
    child.on("exit", (code) => reject(new Error(`the server ended (${code}): ${stderr}`)));
  });
}

const json = { "Content-Type": "application/json", Accept: "application/json, text/event-stream" };

// A POST with headers fetch() will not send as given (Host); gives the status.
function rawPost(url, headers, body) {
  return new Promise((resolve, reject) => {
    const request = http.request(url, { method: "POST", headers }, (response) => {
      response.resume();
      response.on("end", () => resolve(response.statusCode));
    });
    request.on("error", reject);
    request.end(body);
  });
}
const initialize = JSON.stringify({
  jsonrpc: "2.0", id: 1, method: "initialize",
  params: { protocolVersion: "2025-06-18", capabilities: {}, clientInfo: { name: "raw", version: "1" } },
});

test("the SDK client drives the emulator over HTTP", { timeout: 60000 }, async () => {
  const server = await startServer(["--mcp-token", "s3cret"]);
  try {
    const transport = new StreamableHTTPClientTransport(new URL(server.url), {
      requestInit: { headers: { Authorization: "Bearer s3cret" } },
    });
    const client = new Client({ name: "ollendor-test", version: "1.0" });
    await client.connect(transport);
    assert.ok(transport.sessionId, "a session was given");
    await runScenario(client);

    // Without the token, or with a wrong one: 401, and the machine is untouched.
    let response = await fetch(server.url, { method: "POST", headers: json, body: initialize });
    assert.equal(response.status, 401);
    response = await fetch(server.url, { method: "POST", headers: { ...json, Authorization: "Bearer s3cre" }, body: initialize });
    assert.equal(response.status, 401);

    await call(client, "quit");
    assert.equal(await server.exited, 0, "the run ends cleanly on quit");
  } finally {
    server.child.kill();
  }
});

test("HTTP requests the server must refuse, and it answers on", { timeout: 60000 }, async () => {
  const server = await startServer();
  try {
    const post = (body, headers = {}) => fetch(server.url, { method: "POST", headers: { ...json, ...headers }, body });

    let response = await post(initialize, { Origin: "http://evil.example" });
    assert.equal(response.status, 403, "another origin");
    response = await post(initialize, { Origin: "http://localhost.evil.example:80" });
    assert.equal(response.status, 403, "a look-alike origin");
    assert.equal(await rawPost(server.url, { ...json, Host: "evil.example" }, initialize), 403,
                 "another host (DNS rebinding)");
    assert.equal(await rawPost(server.url, { ...json, Host: "127.0.0.1" }, initialize), 200);

    response = await post("{not json");
    assert.equal(response.status, 400);
    assert.equal((await response.json()).error.code, -32700);
    response = await post('{"jsonrpc":"2.0","id":2,"method":"ping"}');
    assert.equal(response.status, 400, "no session");
    response = await post('{"jsonrpc":"2.0","id":2,"method":"ping"}', { "Mcp-Session-Id": "nosuchsession" });
    assert.equal(response.status, 404, "unknown session");
    response = await post(initialize, { "Content-Type": "text/plain" });
    assert.equal(response.status, 415);
    response = await fetch(server.url, { method: "GET", headers: { Accept: "text/event-stream" } });
    assert.equal(response.status, 405);

    // A local page may connect; its session answers.
    response = await post(initialize, { Origin: "http://localhost:3000" });
    assert.equal(response.status, 200);
    const session = response.headers.get("mcp-session-id");
    assert.match(session, /^[0-9a-f]{32}$/);
    response = await post('{"jsonrpc":"2.0","method":"notifications/initialized"}', { "Mcp-Session-Id": session });
    assert.equal(response.status, 202);

    // Many clients at once, some giving up while waiting for the machine.
    const waits = [];
    for (let i = 0; i < 40; ++i) {
      const controller = new AbortController();
      const body = JSON.stringify({ jsonrpc: "2.0", id: 10 + i, method: "tools/call",
                                    params: { name: i % 2 ? "get_status" : "resume", arguments: i % 2 ? {} : { until_stop_ms: 1000 } } });
      waits.push(post(body, { "Mcp-Session-Id": session }).catch(() => null));
      if (i % 4 === 0) {
        waits.push(fetch(server.url, { method: "POST", headers: { ...json, "Mcp-Session-Id": session }, body,
                                       signal: controller.signal }).catch(() => null));
        controller.abort();
      }
    }
    const answered = (await Promise.all(waits)).filter((r) => r && r.status === 200);
    assert.ok(answered.length >= 40, `every request not given up was answered (${answered.length})`);

    response = await post('{"jsonrpc":"2.0","id":99,"method":"tools/call","params":{"name":"get_status"}}',
                          { "Mcp-Session-Id": session });
    assert.equal(response.status, 200);
    assert.equal((await response.json()).result.structuredContent.state, "running");

    // Ending the session: its id is no longer known.
    response = await fetch(server.url, { method: "DELETE", headers: { "Mcp-Session-Id": session } });
    assert.equal(response.status, 204);
    response = await post('{"jsonrpc":"2.0","id":100,"method":"ping"}', { "Mcp-Session-Id": session });
    assert.equal(response.status, 404);
  } finally {
    server.child.kill();
    await server.exited;
  }
});
