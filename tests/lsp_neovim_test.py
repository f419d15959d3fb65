#!/usr/bin/env python3
"""`scenario-tool lsp` in a real editor, set up as docs/editors.md says: headless Neovim runs the Lua setup
of that page, word for word, as its init.lua, with the tool on the PATH. Both sources of a scenario made
up for this run (tests/make_route.py with a fresh seed) are opened. The test checks that

- the two buffers share one server, so that a route edit that puts a board on the cell of the train run's
  first signal shows error 16 in the train run's buffer at once, at that signal's line;
- hover on a key returns its meaning;
- an accented letter typed into a source is saved in code page 1252, with CR LF line ends.

    lsp_neovim_test.py PATH/TO/scenario-tool

Exits 77 (skipped) when Neovim is not installed; set NVIM to choose the editor.
"""

import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
DOCS = os.path.join(HERE, "..", "docs", "editors.md")
SCENARIO, TRAIN = "Valfonda_Test", "4021"

# Runs in Neovim after the setup: opens both sources, edits the route, types into the train run, saves
# it, and writes what it saw as JSON.
LUA = r"""
local route, run, out, signal_line, signal_at = ROUTE, RUN, OUT, SIGNAL_LINE, SIGNAL_AT
local published = {}
local publish = vim.lsp.handlers['textDocument/publishDiagnostics']
vim.lsp.handlers['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
  published[result.uri] = (published[result.uri] or 0) + 1
  return publish(err, result, ctx, config)
end
vim.cmd('edit ' .. vim.fn.fnameescape(run))
local run_buf = vim.api.nvim_get_current_buf()
vim.cmd('edit ' .. vim.fn.fnameescape(route))
local route_buf = vim.api.nvim_get_current_buf()
local run_uri = vim.uri_from_bufnr(run_buf)
local result = { clients = {}, before = -1, after = {}, hover = vim.NIL }
vim.wait(30000, function() return (published[run_uri] or 0) >= 2 end, 50)
for _, buf in ipairs({ route_buf, run_buf }) do
  for _, c in pairs(vim.lsp.buf_get_clients(buf)) do result.clients[tostring(c.id)] = c.name end
end
result.before = #vim.diagnostic.get(run_buf, { severity = vim.diagnostic.severity.ERROR })

-- A board on the cell of the train run's first signal: the route changes, the error is the run's.
local lines = vim.api.nvim_buf_get_lines(route_buf, 0, -1, false)
for i, line in ipairs(lines) do
  if line:match('^cartello_indicatore,') then
    vim.api.nvim_buf_set_lines(route_buf, i, i, false,
      { 'cartello_indicatore,  ' .. signal_at .. ',   (Prova     )(Km 1+000)' })
    break
  end
end
vim.wait(30000, function()
  return #vim.diagnostic.get(run_buf, { severity = vim.diagnostic.severity.ERROR }) > 0
end, 50)
for _, d in ipairs(vim.diagnostic.get(run_buf)) do
  table.insert(result.after, { line = d.lnum, message = d.message, severity = d.severity, code = d.code })
end

vim.cmd('buffer ' .. run_buf)
local params = { textDocument = { uri = run_uri }, position = { line = signal_line, character = 2 } }
for _, a in pairs(vim.lsp.buf_request_sync(run_buf, 'textDocument/hover', params, 10000) or {}) do
  if a.result and a.result.contents then result.hover = a.result.contents.value end
end

-- An accented letter typed at the end of the first line, as a comment of the section header.
vim.api.nvim_win_set_cursor(0, { 1, 0 })
vim.api.nvim_feedkeys('A citt\195\160\27', 'x', false)
vim.cmd('write')

local f = io.open(out, 'w')
f:write(vim.fn.json_encode(result))
f:close()
vim.cmd('qa!')
"""


def docs_setup():
    """The Lua block of the Neovim section of docs/editors.md, as it stands."""
    with open(DOCS, encoding="utf-8") as f:
        text = f.read()
    section = text[text.index("## Neovim"):]
    return re.search(r"```lua\n(.*?)```", section, re.S).group(1)


def make_scenario(folder):
    seed = random.SystemRandom().randrange(1, 1 << 30)
    subprocess.run([sys.executable, os.path.join(HERE, "make_route.py"), "--length", "20000", "--seed", str(seed),
                    folder, SCENARIO, TRAIN], check=True, stdout=subprocess.DEVNULL)
    run_path = os.path.join(folder, "%s_%s-.txt" % (SCENARIO, TRAIN))
    with open(run_path, "rb") as f:
        lines = f.read().split(b"\r\n")
    signals = [i for i, line in enumerate(lines) if line.startswith(b"segnale,")]
    if not signals:
        sys.exit("seed %d: the made-up run has no signal" % seed)
    position = int(lines[signals[0]].split(b",")[1])
    return seed, os.path.join(folder, "%s_linea.txt" % SCENARIO), run_path, signals[0], position


def main():
    tool = os.path.abspath(sys.argv[1])
    nvim = shutil.which(os.environ.get("NVIM", "nvim"))
    if nvim is None:
        print("no Neovim installed: skipped")
        return SKIP
    with tempfile.TemporaryDirectory() as folder:
        seed, route_path, run_path, signal_line, signal_at = make_scenario(folder)
        init = os.path.join(folder, "init.lua")
        with open(init, "w", encoding="utf-8") as f:
            f.write(docs_setup())
        out = os.path.join(folder, "result.json")
        script = os.path.join(folder, "test.lua")
        with open(script, "w") as f:
            f.write(LUA.replace("ROUTE", json.dumps(route_path)).replace("RUN", json.dumps(run_path))
                    .replace("OUT", json.dumps(out)).replace("SIGNAL_LINE", str(signal_line))
                    .replace("SIGNAL_AT", str(signal_at)))
        bin_dir = os.path.join(folder, "bin")
        os.mkdir(bin_dir)
        os.symlink(tool, os.path.join(bin_dir, "scenario-tool"))
        env = dict(os.environ, HOME=folder, XDG_CONFIG_HOME=folder, XDG_DATA_HOME=folder, XDG_STATE_HOME=folder,
                   PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""))
        done = subprocess.run([nvim, "--headless", "-u", init, "-i", "NONE", "-c", "luafile " + script],
                              cwd=folder, env=env, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                              check=False)
        if not os.path.exists(out):
            sys.exit("seed %d: Neovim wrote no result: %s" % (seed, done.stderr.decode(errors="replace")))
        with open(out) as f:
            result = json.load(f)
        with open(run_path, "rb") as f:
            saved = f.read()
    failures = []
    if len(result["clients"]) != 1:
        failures.append("the two buffers have %d servers, not one: %s" % (len(result["clients"]), result["clients"]))
    if result["before"] != 0:
        failures.append("%d errors in the train run before the route edit" % result["before"])
    errors = [d for d in result["after"] if d.get("code") == "E16"]
    if not errors:
        failures.append("no error 16 in the train run after the route edit: %s" % result["after"])
    elif errors[0]["line"] != signal_line:
        failures.append("error 16 at line %d, expected %d" % (errors[0]["line"] + 1, signal_line + 1))
    hover = result["hover"] or ""
    if "A signal beside the track" not in hover:
        failures.append("hover on the key segnale: %r" % hover)
    first = saved.split(b"\r\n")[0]
    if not first.endswith(b" citt\xe0"):
        failures.append("the typed letter is saved as %r, not in code page 1252" % first)
    if saved.count(b"\n") != saved.count(b"\r\n"):
        failures.append("the saved source has line ends other than CR LF")
    for f in failures:
        print("FAIL (seed %d): %s" % (seed, f))
    if not failures:
        print("Neovim as docs/editors.md sets it up: one server for both sources, error 16 in the train run at "
              "line %d after a route edit, the key's meaning on hover, and \"citt\\xe0\" saved in code page 1252 "
              "(seed %d)" % (signal_line + 1, seed))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
