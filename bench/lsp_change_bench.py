#!/usr/bin/env python3
"""The language server's answer to a change on a long source: a train run source grown by LINES lines of a
key that matches no entry is opened with its route, then changed (one more such line), and the time runs
from the change written to the server until the diagnostics of the train run source have arrived. Not a test: prints the figures.

    lsp_change_bench.py BUILD/bin/scenario-tool [LINES] [CHANGES]
"""

import json
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
from lsp_session import frame  # noqa: E402


def read_message(stream):
    length = None
    while True:
        line = stream.readline()
        if line in (b"\r\n", b""):
            break
        if line.lower().startswith(b"content-length:"):
            length = int(line.split(b":")[1])
    return json.loads(stream.read(length))


def until_diagnostics(server, uri):
    """Reads messages until the diagnostics of `uri` have arrived; how many there are."""
    while True:
        message = read_message(server.stdout)
        if message.get("method") == "textDocument/publishDiagnostics" and message["params"]["uri"] == uri:
            return len(message["params"]["diagnostics"])


def main():
    tool = sys.argv[1]
    lines = int(sys.argv[2]) if len(sys.argv) > 2 else 500000
    changes = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([tool, "new", folder, "Bench", "1"], check=True, stdout=subprocess.DEVNULL)
        route_path, run_path = os.path.join(folder, "Bench_linea.txt"), os.path.join(folder, "Bench_1-.txt")
        with open(run_path, "rb") as f:
            run = f.read().decode("cp1252").split("\r\n")
        grown = run[:-2] + ["chiave ignota %d, 1" % i for i in range(lines)] + run[-2:]
        text = "\r\n".join(grown)
        with open(run_path, "wb") as f:
            f.write(text.encode("cp1252"))
        with open(route_path, "rb") as f:
            route = f.read().decode("cp1252")
        server = subprocess.Popen([tool, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        send = lambda m: (server.stdin.write(frame(dict(m, jsonrpc="2.0"))), server.stdin.flush())
        uri = lambda p: "file://" + p
        send({"id": 1, "method": "initialize", "params": {"capabilities": {}}})
        read_message(server.stdout)
        start = time.monotonic()
        send({"method": "textDocument/didOpen", "params": {"textDocument": {
            "uri": uri(run_path), "languageId": "scenario", "version": 1, "text": text}}})
        until_diagnostics(server, uri(run_path))
        send({"method": "textDocument/didOpen", "params": {"textDocument": {
            "uri": uri(route_path), "languageId": "scenario", "version": 1, "text": route}}})
        until_diagnostics(server, uri(run_path))
        print("%d lines: open %.2f s" % (len(grown), time.monotonic() - start))
        for version in range(2, 2 + changes):
            text = text.replace("chiave ignota 0, 1", "chiave ignota 0, 1\r\nchiave ignota, %d" % version, 1)
            start = time.monotonic()
            send({"method": "textDocument/didChange", "params": {
                "textDocument": {"uri": uri(run_path), "version": version}, "contentChanges": [{"text": text}]}})
            shown = until_diagnostics(server, uri(run_path))
            print("change %d: %.2f s to the diagnostics (%d shown for the run source)"
                  % (version - 1, time.monotonic() - start, shown))
        send({"id": 9, "method": "shutdown"})
        send({"method": "exit"})
        server.wait(timeout=60)


if __name__ == "__main__":
    main()
