#!/usr/bin/env bash
# Measures the programs against the cost of the file work they cannot avoid, each pair run in turn in one
# call, so that a busy machine moves both sides alike:
#  - scenario-pack's whole process against a minimal C program that writes the same bytes: the five
#    texts, reads the two sources back and deletes them, writes the three compiled files each to a
#    temporary file renamed over the target; and, for information, against the same program writing the
#    texts too through a temporary file, as the pack writes every file;
#  - scenario-tool compile of the longest route (bench/largest_route.cc) against copying its three
#    compiled files, and the compile's peak resident memory;
#  - scenario-tool's start (--help), which every compile pays, and whether it loads a TLS or
#    compression library (it links none: its web server is built without them);
#  - scenario-tool inspect of that route's plan, as text and as JSON, every point;
#  - the static initialisers in scenario-pack.
# Usage: bench/compare.sh [RUNS]    (RUNS pairs of runs, default 21; the figures are medians)
# Builds Release into build-release/ (BUILD_DIR to change it). KEEP=1 keeps the working folder (the
# programs, the minimal program's source, the generated route) for profiling.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
runs=${1:-21}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPACK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target scenario-pack scenario-tool make_largest_route >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/pack-compare.XXXXXX")
if [[ -n "${KEEP:-}" ]]; then
  echo "compare.sh: working folder $work (kept)"
else
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/pack" "$work/minimal" "$work/texts" "$work/route/out" "$work/copy"

# The pack's own output: the compiled files and documents from a run, the two sources from export.
cp "$build/bin/scenario-pack" "$work/pack/"
"$work/pack/scenario-pack" 2>/dev/null
"$build/bin/scenario-tool" export "$work/texts" >/dev/null
for doc in "$work"/texts/*; do
  name=$(basename "$doc")
  if [[ -e "$work/pack/$name" ]] && ! cmp -s "$doc" "$work/pack/$name"; then
    echo "compare.sh: export and the pack differ on $name" >&2
    exit 1
  fi
done

python3 - "$work" <<'EOF'
import os, sys
work = sys.argv[1]
texts = sorted(os.listdir(f"{work}/texts"))
sources = [n for n in texts if n.endswith("_linea.txt") or n.endswith("-.txt")]
documents = [n for n in texts if n not in sources]
compiled = sorted(n for n in os.listdir(f"{work}/pack") if n.endswith(".dat") or n.endswith(".sim"))
# The pack writes the plan first, then the table, then the cells.
compiled.sort(key=lambda n: (not n.endswith("_linea.dat"), not n.endswith(".sim")))

def array(name, data):
    rows = ",".join(str(b) for b in data)
    return f"static const unsigned char {name}[{max(len(data), 1)}] = {{{rows}}};\n"

out = ["#include <fcntl.h>\n#include <stdio.h>\n#include <stdlib.h>\n#include <string.h>\n#include <unistd.h>\n"]
entries = {"texts": [], "compiled": []}
for i, name in enumerate(sources + documents):
    data = open(f"{work}/texts/{name}", "rb").read()
    out.append(array(f"t{i}", data))
    entries["texts"].append(f'{{"{name}", t{i}, {len(data)}}}')
for i, name in enumerate(compiled):
    data = open(f"{work}/pack/{name}", "rb").read()
    out.append(array(f"c{i}", data))
    entries["compiled"].append(f'{{"{name}", c{i}, {len(data)}}}')
out.append("struct file { const char *name; const unsigned char *data; size_t size; };\n")
out.append("static const struct file texts[] = {" + ",".join(entries["texts"]) + "};\n")
out.append("static const struct file compiled[] = {" + ",".join(entries["compiled"]) + "};\n")
out.append(r'''
static char folder[4096];

static void place(char *path, const char *name, const char *suffix) {
  snprintf(path, 8192, "%s/%s%s", folder, name, suffix);
}

static void put(const char *path, const unsigned char *data, size_t size) {
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) exit(2);
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n <= 0) exit(2);
    data += n;
    size -= (size_t)n;
  }
  if (close(fd) != 0) exit(2);
}

static void readBack(const char *path) {
  static char buffer[1 << 16];
  int fd = open(path, O_RDONLY);
  if (fd < 0) exit(2);
  while (read(fd, buffer, sizeof buffer) > 0) {}
  close(fd);
}

int main(void) {
  char path[8192], temp[8192];
  ssize_t n = readlink("/proc/self/exe", folder, sizeof folder - 1);
  if (n <= 0) return 2;
  folder[n] = 0;
  *strrchr(folder, '/') = 0;
  fputs("Attendere\n", stderr);
  for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) {
    place(path, texts[i].name, "");
#ifdef TEXTS_RENAMED
    place(temp, texts[i].name, ".tmp");
    put(temp, texts[i].data, texts[i].size);
    if (rename(temp, path) != 0) return 2;
#else
    put(path, texts[i].data, texts[i].size);
#endif
  }
  for (size_t i = 0; i < 2; ++i) {
    place(path, texts[i].name, "");
    readBack(path);
    if (unlink(path) != 0) return 2;
  }
  for (size_t i = 0; i < sizeof compiled / sizeof compiled[0]; ++i) {
    place(path, compiled[i].name, "");
    place(temp, compiled[i].name, ".tmp");
    put(temp, compiled[i].data, compiled[i].size);
    if (rename(temp, path) != 0) return 2;
  }
  return 0;
}
''')
open(f"{work}/minimal.c", "w").write("".join(out))
EOF
cc -O2 -o "$work/minimal/minimal" "$work/minimal.c"
"$work/minimal/minimal" 2>/dev/null
# The same, writing the texts too through a temporary file renamed over the target, as the pack must.
mkdir -p "$work/renamed"
cc -O2 -DTEXTS_RENAMED -o "$work/renamed/minimal" "$work/minimal.c"
for f in "$work"/pack/*.dat "$work"/pack/*.sim "$work"/pack/*.txt; do
  cmp -s "$f" "$work/minimal/$(basename "$f")" || { echo "compare.sh: the minimal program's $(basename "$f") differs" >&2; exit 1; }
done

"$build/bin/make_largest_route" "$work/route" Lunga_Linea 1
compile=("$build/bin/scenario-tool" compile "$work/route" Lunga_Linea 1 -o "$work/route/out")
"${compile[@]}" >/dev/null
plan="$work/route/out/Lunga_Linea_linea.dat"

peak_kib() {  # the median peak resident set of three runs, from /usr/bin/time -v
  for _ in 1 2 3; do
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ {print $2 + 0}'
  done | sort -n | sed -n 2p
}
compile_kib=$(peak_kib "${compile[@]}")
pack_kib=$(peak_kib "$work/pack/scenario-pack")
minimal_kib=$(peak_kib "$work/minimal/minimal")
inspect_text_kib=$(peak_kib "$build/bin/scenario-tool" inspect --every 1 "$plan")
inspect_json_kib=$(peak_kib "$build/bin/scenario-tool" inspect --json --every 1 "$plan")
# Start-up: the static initialisers of the pack's own code, those of the whole program (the runtime's
# included), and the largest writable data of any of the pack's objects (a table built at start-up lives
# there; the embedded texts are constant).
own_objects=("$build/libpack_core.a" "$build/CMakeFiles/scenario-pack.dir/src/app/pack_main.cc.o")
initialisers=$(nm "${own_objects[@]}" 2>/dev/null | grep -c '_GLOBAL__sub_I' || true)
all_initialisers=$(nm "$build/bin/scenario-pack" | grep -c '_GLOBAL__sub_I' || true)
bss=$(size "${own_objects[@]}" | awk 'NR > 1 && $2 + $3 > max {max = $2 + $3} END {print max + 0}')
# Libraries the tool loads that its plain-HTTP loopback server never needs.
unused_libraries=$(ldd "$build/bin/scenario-tool" | grep -ciE 'libssl|libcrypto|libz\.|brotli' || true)

python3 - "$runs" "$work" "$build" "$plan" "$compile_kib" "$pack_kib" "$minimal_kib" "$inspect_text_kib" \
  "$inspect_json_kib" "$initialisers" "$bss" "$all_initialisers" "$unused_libraries" <<'EOF'
import os, statistics, sys, time
runs, work, build, plan = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
compile_kib, pack_kib, minimal_kib, inspect_text_kib, inspect_json_kib, initialisers, bss, all_initialisers, \
    unused_libraries = map(int, sys.argv[5:14])
tool = f"{build}/bin/scenario-tool"
quiet = [(os.POSIX_SPAWN_OPEN, 1, "/dev/null", os.O_WRONLY, 0), (os.POSIX_SPAWN_OPEN, 2, "/dev/null", os.O_WRONLY, 0)]

def run(argv):
    """Wall and CPU milliseconds of one run of a program."""
    start = time.perf_counter_ns()
    pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=quiet)
    _, status, usage = os.wait4(pid, 0)
    wall = (time.perf_counter_ns() - start) / 1e6
    if status != 0:
        sys.exit(f"compare.sh: {argv} failed with status {status}")
    return wall, (usage.ru_utime + usage.ru_stime) * 1000

def pair(a, b, n):
    """n runs of each, in turn, the first of each pair alternating; medians of wall and CPU."""
    results = {0: [], 1: []}
    for i in range(2):
        run(a), run(b)
    for i in range(n):
        order = (0, 1) if i % 2 == 0 else (1, 0)
        for which in order:
            results[which].append(run((a, b)[which]))
    med = lambda rs, k: statistics.median(r[k] for r in rs)
    return [(med(results[w], 0), med(results[w], 1)) for w in (0, 1)]

(pack, minimal) = pair([f"{work}/pack/scenario-pack"], [f"{work}/minimal/minimal"], runs)
(pack2, renamed) = pair([f"{work}/pack/scenario-pack"], [f"{work}/renamed/minimal"], runs)
copy = ["/bin/cp", "-f"] + [f"{work}/route/out/{n}" for n in sorted(os.listdir(f"{work}/route/out"))] + [f"{work}/copy/"]
(compile, copied) = pair([tool, "compile", f"{work}/route", "Lunga_Linea", "1", "-o", f"{work}/route/out"], copy, runs)
(started, _) = pair([tool, "--help"], copy, runs)
inspect_runs = max(3, runs // 7)
inspect_text = statistics.median(run([tool, "inspect", "--every", "1", plan])[0] for _ in range(inspect_runs))
inspect_json = statistics.median(run([tool, "inspect", "--json", "--every", "1", plan])[0] for _ in range(inspect_runs))

rows = []
def goal(what, measured, figure, limit, met):
    rows.append((what, measured, figure, limit, "yes" if met else "NO"))

def ratio(a, b):
    return a / b if b > 0 else float("inf")

mib = lambda kib: kib / 1024
r = ratio(pack[0], minimal[0])
goal("pack whole process, wall", f"{r:.2f}x", f"{pack[0]:.2f} ms vs {minimal[0]:.2f} ms", "<= 1.3x", r <= 1.3)
r = ratio(pack[1], minimal[1])
goal("pack whole process, CPU", f"{r:.2f}x", f"{pack[1]:.2f} ms vs {minimal[1]:.2f} ms", "<= 1.3x", r <= 1.3)
r = ratio(pack2[1], renamed[1])
goal("  the same, texts also renamed into place, CPU", f"{r:.2f}x",
     f"{pack2[1]:.2f} ms vs {renamed[1]:.2f} ms (wall {ratio(pack2[0], renamed[0]):.2f}x)", "-", True)
goal("pack peak resident", f"{mib(pack_kib):.1f} MiB", f"minimal C {mib(minimal_kib):.1f} MiB", "-", True)
r = ratio(compile[0], copied[0])
goal("largest route compile vs copy, wall", f"{r:.2f}x", f"{compile[0]:.1f} ms vs {copied[0]:.1f} ms", "<= 2.5x", r <= 2.5)
r = ratio(compile[1], copied[1])
goal("largest route compile vs copy, CPU", f"{r:.2f}x", f"{compile[1]:.1f} ms vs {copied[1]:.1f} ms", "-", True)
goal("  of which the tool's start (--help), wall", f"{started[0]:.2f} ms",
     f"{unused_libraries} TLS or compression libraries loaded", "none loaded", unused_libraries == 0)
goal("largest route compile, peak resident", f"{mib(compile_kib):.1f} MiB", f"plan {os.path.getsize(plan)} bytes",
     "<= 24 MiB", compile_kib <= 24 * 1024)
goal("inspect --every 1 of the plan, wall", f"{inspect_text / 1000:.2f} s", f"peak {mib(inspect_text_kib):.0f} MiB",
     "<= 1 s, 64 MiB", inspect_text <= 1000 and inspect_text_kib <= 64 * 1024)
goal("inspect --json --every 1 of the plan, wall", f"{inspect_json / 1000:.2f} s", f"peak {mib(inspect_json_kib):.0f} MiB",
     "<= 1 s, 64 MiB", inspect_json <= 1000 and inspect_json_kib <= 64 * 1024)
goal("pack static initialisers (own code)", f"{initialisers}",
     f"{all_initialisers} with the runtime; data {bss} bytes at most", "0, no large tables",
     initialisers == 0 and bss < 65536)

print(f"medians of {runs} runs each, in turn (inspect: {inspect_runs}); {os.cpu_count()} CPUs, "
      f"load {os.getloadavg()[0]:.2f}")
widths = [max(len(r[i]) for r in rows + [("goal", "measured", "figures", "target", "met")]) for i in range(5)]
for r in [("goal", "measured", "figures", "target", "met")] + rows:
    print("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())
EOF
