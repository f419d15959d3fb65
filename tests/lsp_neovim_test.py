#!/usr/bin/env python3
"""`scenario-tool lsp` in a real editor: headless Neovim, with its built-in language server client, opens
the train run source of a scenario made up for this run (tests/make_route.py with a fresh seed) into which
a known fault was written: a signal moved onto the cell of the signal before it. The test checks that the
compiler's error arrives as a diagnostic at that line, and that hover on a key returns its meaning.

    lsp_neovim_test.py PATH/TO/scenario-tool

Exits 77 (skipped) when Neovim is not installed; set NVIM to choose the editor.
"""

import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
SCENARIO, TRAIN = "Valfonda_Test", "4021"

# Runs in Neovim: starts the server for the open buffer, waits for its diagnostics, asks for a hover and
# writes what it got as JSON.
LUA = r"""
local tool, out, key_line = TOOL, OUT, KEY_LINE
local client = vim.lsp.start_client({ cmd = { tool, 'lsp' }, name = 'scenario-tool', root_dir = vim.fn.getcwd() })
vim.lsp.buf_attach_client(0, client)
local got = vim.wait(30000, function() return #vim.diagnostic.get(0) > 0 end, 50)
local result = { waited = got, diagnostics = {}, hover = vim.NIL }
for _, d in ipairs(vim.diagnostic.get(0)) do
  table.insert(result.diagnostics, { line = d.lnum, message = d.message, severity = d.severity, code = d.code })
end
local params = { textDocument = { uri = vim.uri_from_bufnr(0) }, position = { line = key_line, character = 2 } }
local answers = vim.lsp.buf_request_sync(0, 'textDocument/hover', params, 10000)
for _, a in pairs(answers or {}) do
  if a.result and a.result.contents then result.hover = a.result.contents.value end
end
local f = io.open(out, 'w')
f:write(vim.fn.json_encode(result))
f:close()
vim.lsp.stop_client(client)
vim.cmd('qa!')
"""


def make_scenario(folder):
    seed = random.SystemRandom().randrange(1, 1 << 30)
    subprocess.run([sys.executable, os.path.join(HERE, "make_route.py"), "--length", "20000", "--seed", str(seed),
                    folder, SCENARIO, TRAIN], check=True, stdout=subprocess.DEVNULL)
    run_path = os.path.join(folder, "%s_%s-.txt" % (SCENARIO, TRAIN))
    with open(run_path, "rb") as f:
        lines = f.read().split(b"\r\n")
    signals = [i for i, line in enumerate(lines) if line.startswith(b"segnale,")]
    if len(signals) < 2:
        sys.exit("seed %d: the made-up run has fewer than two signals" % seed)
    first, second = signals[0], signals[1]
    position = lines[first].split(b",")[1]
    fields = lines[second].split(b",")
    fields[1] = position
    lines[second] = b",".join(fields)
    with open(run_path, "wb") as f:
        f.write(b"\r\n".join(lines))
    return seed, run_path, first, second


def main():
    tool = os.path.abspath(sys.argv[1])
    nvim = shutil.which(os.environ.get("NVIM", "nvim"))
    if nvim is None:
        print("no Neovim installed: skipped")
        return SKIP
    with tempfile.TemporaryDirectory() as folder:
        seed, run_path, key_line, fault_line = make_scenario(folder)
        out = os.path.join(folder, "result.json")
        script = os.path.join(folder, "test.lua")
        with open(script, "w") as f:
            f.write(LUA.replace("TOOL", json.dumps(tool)).replace("OUT", json.dumps(out))
                    .replace("KEY_LINE", str(key_line)))
        env = dict(os.environ, HOME=folder, XDG_CONFIG_HOME=folder, XDG_DATA_HOME=folder, XDG_STATE_HOME=folder)
        subprocess.run([nvim, "--headless", "-u", "NONE", "-i", "NONE", "--cmd", "set fileencodings=ucs-bom,utf-8,cp1252",
                        "-c", "luafile " + script, run_path], cwd=folder, env=env, timeout=120,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=False)
        if not os.path.exists(out):
            sys.exit("seed %d: Neovim wrote no result" % seed)
        with open(out) as f:
            result = json.load(f)
    failures = []
    errors = [d for d in result["diagnostics"] if d.get("code") == "E16"]
    if not errors:
        failures.append("no error 16 among the diagnostics: %s" % result["diagnostics"])
    elif errors[0]["line"] != fault_line:
        failures.append("error 16 at line %d, expected %d" % (errors[0]["line"] + 1, fault_line + 1))
    hover = result["hover"] or ""
    if "A signal beside the track" not in hover:
        failures.append("hover on the key segnale: %r" % hover)
    for f in failures:
        print("FAIL (seed %d): %s" % (seed, f))
    if not failures:
        print("Neovim: error 16 at line %d of a run made with seed %d, and the key's meaning on hover"
              % (fault_line + 1, seed))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
