#!/usr/bin/env python3
"""How long a client with the token waits for its answer while 64 connections drip.

Starts build/ollendor headless with the HTTP server and a token, opens 64 connections
that send a header line every 100 ms and never finish their request, then times 20
initialize requests of a rightful client, each on a new connection. Prints the median
and the largest delay (the goal is under 100 ms).

usage: bench/http_drip_delay.py [BUILD/ollendor]
"""
import http.client
import os
import socket
import statistics
import subprocess
import sys
import threading
import time

program = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "build", "ollendor")
probe = socket.socket()
probe.bind(("127.0.0.1", 0))
port = probe.getsockname()[1]
probe.close()
server = subprocess.Popen([program, "--headless", "--mcp-http", str(port), "--mcp-token", "tok"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            break
        except OSError:
            time.sleep(0.05)
    stop = threading.Event()

    def drip():
        connections = []
        while not stop.is_set():
            while len(connections) < 64:  # a closed one is opened again at once
                c = socket.create_connection(("127.0.0.1", port))
                c.sendall(b"POST /mcp HTTP/1.1\r\nHost: 127.0.0.1\r\n")
                connections.append(c)
            for c in list(connections):
                try:
                    c.sendall(b"X-Drip: 1\r\n")
                except OSError:
                    connections.remove(c)
                    c.close()
            time.sleep(0.1)
        for c in connections:
            c.close()

    dripper = threading.Thread(target=drip)
    dripper.start()
    time.sleep(1)
    body = '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
    delays = []
    for _ in range(20):
        start = time.monotonic()
        client = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
        client.request("POST", "/mcp", body, {"Content-Type": "application/json", "Authorization": "Bearer tok"})
        status = client.getresponse().status
        delays.append((time.monotonic() - start) * 1000)
        client.close()
        if status != 200:
            print("answer", status)
        time.sleep(0.1)
    stop.set()
    dripper.join()
    print(f"http: with 64 dripping connections an authorised request waits {statistics.median(delays):.1f} ms "
          f"(median of 20), at most {max(delays):.1f} ms")
finally:
    server.terminate()
    server.wait()
