#!/usr/bin/env python3
"""Writes a made-up scenario of any length (the two sources scenario-tool compiles), for looking at
plots and timing the inspector on long lines. Every name and number is invented; the same seed gives
the same files.

    tests/make_route.py --length 100000 OUTDIR [SCENARIO [TRAIN]]
"""

import argparse
import os
import random

SYLLABLES = ["val", "ro", "sa", "mon", "te", "cas", "tel", "fon", "ta", "ne", "pi", "no", "bor", "go",
             "ri", "ve", "lu", "ce", "ra", "san", "mar", "ci", "po", "la", "bru", "ni", "sel", "va"]


def station_name(rng, used):
    while True:
        name = "".join(rng.choice(SYLLABLES) for _ in range(rng.randint(2, 4))).upper()
        if rng.random() < 0.3:
            name += " " + rng.choice(["ALTA", "BASSA", "SCALO", "C.", "MARINA", "DI SOPRA"])
        if name not in used:
            used.add(name)
            return name


class Cells:
    """The 50-m cells taken by point features, so that no two land on one cell."""

    def __init__(self):
        self.taken = set()

    def free(self, *cells):
        return all(c not in self.taken for c in cells)

    def take(self, *cells):
        self.taken.update(cells)


def cell_plus_one(p):
    return round(p / 50 + 1)  # the position to cell rule of signals, boards and slow-down points


def write(path, lines):
    with open(path, "wb") as f:
        for line in lines:
            f.write(line.encode("cp1252") + b"\r\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--length", type=int, default=100000, help="route length in metres (up to 1000000)")
    ap.add_argument("--seed", type=int, default=7)
    ap.add_argument("--km-start", type=int, default=100050, help="kilometre post at metre 0, in metres")
    ap.add_argument("out")
    ap.add_argument("scenario", nargs="?", default="Borgorosso_MontegranoC")
    ap.add_argument("train", nargs="?", default="517")
    args = ap.parse_args()
    rng = random.Random(args.seed)
    L = args.length
    end = L + 7000
    cells = Cells()

    route = ["[generale]", "lunghezza percorso,    %d" % L,
             "progressiva chilometrica uno,    0,    %d,    0" % args.km_start,
             "progressiva chilometrica due,    0,    0,    0",
             "progressiva chilometrica tre,    0,    0,    0",
             "sfondo uno,    0", "sfondo due,    1", "sfondo tre,    0",
             "ripetizione segnali 4 codici,    0    ,0", "[curve]"]
    m = 400
    limit = min(L, 998000)
    while True:
        length = rng.choice([50, 100, 150, 200, 300, 400, 600, 800])
        if m + length > limit:
            break
        route.append("curva%s%d,  %d,  %d" % (rng.choice("ds"), rng.randint(1, 6), m, length))
        m += length + 50 * rng.randint(2, 60)

    route.append("[pendenze]")
    m, g = 0, 0
    while m < L:
        g = max(-25, min(25, g + rng.randint(-8, 8)))
        route.append("pendenza,  %d,   %d" % (m, g))
        m += 50 * rng.randint(6, 80)

    route.append("[montagne]")
    m = 2000
    for _ in range(80):
        m += 50 * rng.randint(20, 400)
        stop = m + 50 * rng.randint(2, 30)
        if stop > L:
            break
        route.append("montagna,   %d,  %d,  %d" % (m, stop, rng.choice([1, 2, 11, 12])))
        m = stop

    # Stations first, so that boards and signals keep clear of their stop points.
    spacing = max(6000, L // 40)
    stations = []
    s = 0
    while s + 800 <= L and len(stations) < 40:
        stations.append(s)
        s += 50 * ((spacing + rng.randint(-spacing // 3, spacing // 3)) // 50)
    if L - stations[-1] >= 2000:
        stations.append(L - L % 50 - 1000)

    train = ["[generale]", "numero vetture,    %d" % rng.randint(4, 12),
             "percentuale massa frenata,    %d" % rng.randint(90, 130), "sabbia,    180",
             "orologio,    6              12            0 ", "[aderenze]"]
    m = 0
    while m < L:
        train.append("aderenza,   %d,    %d" % (m, rng.choice([70, 80, 85, 90, 100, 100, 100])))
        m += 50 * rng.randint(10, 120)

    train.append("[vel_limite]")
    speeds = []
    m = 0
    while m < L:
        v = rng.choice([60, 75, 90, 100, 120, 140, 160])
        speeds.append((m, v))
        train.append("velocita,   %d,    %d" % (m, v))
        m += 50 * rng.randint(40, 300)

    train.append("[stazioni]")
    used = set()
    clock = 6 * 3600 + 15 * 60
    station_cells = []
    for i, s in enumerate(stations):
        platform = 600 if i in (0, len(stations) - 1) else rng.choice([200, 300, 400])
        kind = 12 if i == 0 else (1 if i == len(stations) - 1 else 22)
        # A centred platform: its end lies platform/2 after the position; the stop point in the cell before.
        stop = round((s + platform // 2) / 50 - 1)
        cells.take(*range(stop - 5, stop + 2))
        station_cells.append(stop)
        timed = i in (0, len(stations) - 1) or rng.random() < 0.5
        clock += rng.randint(4, 12) * 60
        h, mi = (clock // 3600) % 24, (clock // 60) % 60
        train.append("stazione,   %d, %d,  %d,  0, 0, 0,  1,1,0,  2,1,1,    0,  %d,%d, 0, %s"
                     % (s, kind, platform, h if timed else 0, mi if timed else 0, station_name(rng, used)))

    # Boards: speed boards where the speed changes, text boards here and there.
    board_lines = []
    for pos, v in speeds[1:]:
        p = pos - 300
        c = cell_plus_one(p)
        if p > 0 and cells.free(c):
            cells.take(c)
            board_lines.append("indicatori_vmax,  %d,  %d,  %d,  %d,  0,  ,  ,  ,  0" % (p, v, v, v))
    texts = ["(Cippo     )(Km %d+%03d)", "(P.L.      )(Km %d+%03d)", "(Viadotto  )(Km %d+%03d)"]
    boards = 0
    m = 700
    while m < L and boards < 25:
        c = cell_plus_one(m)
        if cells.free(c):
            cells.take(c)
            km = args.km_start + m
            board_lines.append("cartello_indicatore,  %d,   %s" % (m, rng.choice(texts) % (km // 1000, km % 1000)))
            boards += 1
        m += 50 * rng.randint(20, max(21, L // 50 // 25))
    route.append("[cartelli]")
    route += board_lines
    route += ["[indicazioni]", "[fine]"]

    train.append("[rallentamenti]")
    slow = []
    for _ in range(max(2, L // 40000)):
        for _attempt in range(200):
            x = 50 * rng.randint(40, max(41, (L - 3000) // 50))
            length = 50 * rng.randint(4, 30)
            w, st, e, h = round((x - 1200) / 50 + 1), cell_plus_one(x), cell_plus_one(x + length), round((x - 1200) / 50)
            need = [w, st, e, h, h - 1, h - 2, h - 3] + list(range(st - 21, e + 14))
            if cells.free(*need):
                cells.take(*need)
                slow.append(x)
                train.append("rallentamento,  %d,  %d,  %d,  0,  1,  0" % (x, rng.choice([30, 50, 60, 80]), length))
                break

    train.append("[segnali]")
    for s in stations[1:]:
        protection = s - 50 * rng.randint(8, 16)
        for kind, p in ((1, protection - 50 * rng.randint(20, 30)), (2, protection)):
            c = cell_plus_one(p)
            if p >= 400 and cells.free(c, c - 1, c - 2):
                cells.take(c, c - 1, c - 2)
                tempo = 245 if kind == 2 and rng.random() < 0.3 else 0
                train.append("segnale,   %d,   %d, %d, %d,  0, 0,    0,  0,0,0, %d"
                             % (p, kind, rng.choice([3, 4]), rng.choice([0, 1]), tempo))
    train.append("[codici]")
    train.append("[fine]")

    os.makedirs(args.out, exist_ok=True)
    write(os.path.join(args.out, args.scenario + "_linea.txt"), route)
    write(os.path.join(args.out, "%s_%s-.txt" % (args.scenario, args.train)), train)
    print("wrote %s: %d m, %d stations, %d boards, %d slow-downs" % (args.out, L, len(stations), boards, len(slow)))


if __name__ == "__main__":
    main()
