#!/usr/bin/env python3
"""The commands the documents show, run as a reader pastes them, and the pages the tool's help names.

A fenced block of README.md or docs/*.md that follows the line

    <!-- runnable -->

is run with bash (errexit, pipefail), with the build's programs first on PATH. The blocks of one document
run in order in one fresh temporary folder, as a reader goes down the page, so a later block may use
what an earlier one wrote. `<!-- runnable exit=N -->` says that the block's last command ends with
status N (a block showing a refusal): the block is then run without errexit and must end with N.
Only blocks that need no network, no Windows and nothing left running are marked.

Then every command that `scenario-tool --help` lists must end its own help with the page of docs/ that
says more, and that page must exist.

    doc_commands_test.py SOURCE_DIR BIN_DIR
"""

import glob
import os
import re
import subprocess
import sys
import tempfile

MARKER = re.compile(r"^<!--\s*runnable(?:\s+exit=(\d+))?\s*-->\s*$")
FENCE = re.compile(r"^(```+|~~~+)\s*([\w-]*)\s*$")
BLOCK_SECONDS = 120
failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def runnable_blocks(path, name):
    """(line number, expected exit status, text) of each marked block; a marker without a block fails."""
    lines = open(path, encoding="utf-8").read().split("\n")
    blocks = []
    i = 0
    while i < len(lines):
        marker = MARKER.match(lines[i])
        if not marker:
            i += 1
            continue
        where = "%s:%d" % (name, i + 1)
        j = i + 1
        while j < len(lines) and not lines[j].strip():
            j += 1
        fence = FENCE.match(lines[j]) if j < len(lines) else None
        if not fence or fence.group(2) not in ("", "sh", "bash", "shell"):
            fail("%s: the runnable marker is not followed by a fenced shell block" % where)
            i = j
            continue
        end = j + 1
        while end < len(lines) and lines[end].strip() != fence.group(1):
            end += 1
        if end == len(lines):
            fail("%s: the runnable block is never closed" % where)
            break
        expected = int(marker.group(1)) if marker.group(1) else 0
        blocks.append((j + 1, expected, "\n".join(lines[j + 1:end]) + "\n"))
        i = end + 1
    return blocks


def run_block(path, line, expected, text, folder, env):
    options = ["-o", "pipefail"] if expected else ["-e", "-o", "pipefail"]
    try:
        result = subprocess.run(["bash", "--noprofile", "--norc"] + options + ["-c", text], cwd=folder, env=env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                timeout=BLOCK_SECONDS)
    except subprocess.TimeoutExpired:
        fail("%s:%d: the block ran longer than %d s" % (path, line, BLOCK_SECONDS))
        return
    if result.returncode != expected:
        output = result.stdout.decode("utf-8", errors="replace")
        fail("%s:%d: the block ended with status %d, not %d:\n%s\n--- its output (last lines):\n%s" %
             (path, line, result.returncode, expected, text.rstrip(), "\n".join(output.splitlines()[-15:])))


def run_documents(source_dir, env):
    documents = [os.path.join(source_dir, "README.md")] + sorted(glob.glob(os.path.join(source_dir, "docs", "*.md")))
    ran = 0
    for document in documents:
        name = os.path.relpath(document, source_dir)
        blocks = runnable_blocks(document, name)
        if not blocks:
            continue
        with tempfile.TemporaryDirectory(prefix="doc-commands-") as folder:
            for line, expected, text in blocks:
                run_block(name, line, expected, text, folder, env)
                ran += 1
    print("ran %d runnable blocks" % ran)
    if ran == 0:
        fail("no runnable block found under %s: the marker or the documents moved" % source_dir)


def help_text(env, *args):
    result = subprocess.run(["scenario-tool"] + list(args) + ["--help"], env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=30)
    return result.stdout.decode("utf-8", errors="replace")


def check_help_pages(source_dir, env):
    """Each command's help ends with the page that says more; the page is one of docs/ or the README."""
    listing = help_text(env)
    section = re.split(r"^subcommands:\s*$", listing, flags=re.MULTILINE | re.IGNORECASE)[-1].split("\n\n")[0]
    commands = re.findall(r"^\s{2}(\w+)\s{2,}\S", section, re.MULTILINE)
    if not commands:
        fail("scenario-tool --help lists no command:\n" + listing)
    for words in [[]] + [[command] for command in commands]:
        text = help_text(env, *words).rstrip()
        last = text.splitlines()[-1] if text else ""
        page = re.search(r"((?:docs/[\w.-]+|README)\.md)\.?$", last)
        label = " ".join(["scenario-tool"] + words + ["--help"])
        if not page:
            fail("%s does not end with the page that says more; its last line: %r" % (label, last))
        elif not os.path.isfile(os.path.join(source_dir, page.group(1))):
            fail("%s names %s, which does not exist" % (label, page.group(1)))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source_dir, bin_dir = (os.path.abspath(arg) for arg in sys.argv[1:])
    env = dict(os.environ)
    env["PATH"] = bin_dir + os.pathsep + env.get("PATH", "")
    env["LC_ALL"] = "C.UTF-8"
    run_documents(source_dir, env)
    check_help_pages(source_dir, env)
    if failures:
        print("%d problems" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
