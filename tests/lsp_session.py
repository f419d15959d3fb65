#!/usr/bin/env python3
"""Drives one session of `scenario-tool lsp` over its standard input and output and prints what the server
answered, in a form that does not depend on the platform (the folder's path and its separators replaced),
so that the POSIX and the Windows tool can be compared line by line.

    lsp_session.py [--windows-paths] FOLDER COMMAND...

FOLDER holds the embedded scenario's two sources (scenario-tool export). The session opens the train run
source with a signal moved onto the cell of the signal before it, asks for hover, completion, signature
help, symbols and a code action, sends a malformed frame and an unknown method, and ends with shutdown
and exit. With --windows-paths, the documents are named as a Windows program sees the folder (drive Z:).
"""

import json
import os
import re
import subprocess
import sys

ROUTE = "Borgorosso_MontegranoC_linea.txt"
RUN = "Borgorosso_MontegranoC_517-.txt"


def frame(message):
    body = json.dumps(message, separators=(",", ":"), ensure_ascii=False).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def frames(data):
    """The bodies of the server's messages, in order."""
    out, at = [], 0
    while at < len(data):
        end = data.index(b"\r\n\r\n", at)
        length = int(re.search(rb"Content-Length: (\d+)", data[at:end]).group(1))
        out.append(json.loads(data[end + 4:end + 4 + length]))
        at = end + 4 + length
    return out


def uri_of(folder, name, windows):
    if windows:
        return "file:///Z:" + folder.replace("%", "%25").replace(" ", "%20") + "/" + name
    return "file://" + folder.replace("%", "%25").replace(" ", "%20") + "/" + name


def session(folder, windows):
    run_uri = uri_of(folder, RUN, windows)
    with open(os.path.join(folder, RUN), "rb") as f:
        text = f.read().decode("cp1252")
    text = text.replace("segnale,    6850", "segnale,    5450").replace("[segnali]", "[segnali]\r\nsegnal, ")
    doc = {"uri": run_uri}
    at = lambda line, character: {"textDocument": doc, "position": {"line": line, "character": character}}
    messages = [
        {"id": 1, "method": "initialize", "params": {"capabilities": {}, "initializationOptions": {"inlayHints": True}}},
        {"method": "initialized", "params": {}},
        {"method": "textDocument/didOpen", "params": {"textDocument": dict(doc, languageId="scenario", version=1, text=text)}},
        {"id": 2, "method": "textDocument/hover", "params": at(41, 2)},
        {"id": 3, "method": "textDocument/hover", "params": at(41, 13)},
        {"id": 4, "method": "textDocument/completion", "params": at(40, 3)},
        {"id": 5, "method": "textDocument/signatureHelp", "params": at(41, 18)},
        {"id": 6, "method": "textDocument/documentSymbol", "params": {"textDocument": doc}},
        {"id": 7, "method": "textDocument/inlayHint", "params": {"textDocument": doc, "range": {
            "start": {"line": 41, "character": 0}, "end": {"line": 43, "character": 0}}}},
        {"id": 8, "method": "no/such/method"},
        {"id": 9, "method": "shutdown"},
        {"method": "exit"},
    ]
    stream = b""
    for m in messages:
        stream += frame(dict(m, jsonrpc="2.0"))
        if m.get("id") == 7:
            stream += b"Content-Length: 9\r\n\r\n{not json"
    return stream


def normalized(value, folder):
    text = json.dumps(value, sort_keys=True, ensure_ascii=False)
    # The drive forms first: the bare folder is part of each of them.
    for form in ("Z:" + folder.replace("/", "\\\\"), "Z:" + folder, folder):
        text = text.replace(form.replace(" ", "%20"), "<folder>").replace(form, "<folder>")
    return text.replace("\\\\", "/").replace("file:///<folder>", "file://<folder>")


def main():
    args = sys.argv[1:]
    windows = args[0] == "--windows-paths"
    if windows:
        args = args[1:]
    folder, command = os.path.abspath(args[0]), args[1:]
    result = subprocess.run(command, input=session(folder, windows), stdout=subprocess.PIPE, timeout=300)
    for message in frames(result.stdout):
        print(normalized(message, folder))
    print("exit status %d" % result.returncode)


if __name__ == "__main__":
    main()
