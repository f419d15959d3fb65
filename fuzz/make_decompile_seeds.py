#!/usr/bin/env python3
"""Writes the decompile fuzzer's seed corpus: the compiled files of small scenarios made by
scenario-tool compile, whole and damaged. Input layout: an option byte (bit 0: a plan file follows),
the byte counts of the track cell file and of the scenario table file (32-bit little-endian), the two
files, then the plan file.

Usage: fuzz/make_decompile_seeds.py SCENARIO_TOOL   (the built build/bin/scenario-tool)
"""
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "decompile")
NAME = "Borgorosso_MontegranoC"


def text(*lines):
    return "".join(line + "\r\n" for line in lines)


ROUTE = text("[generale]", "lunghezza percorso, 300", "[curve]", "curvad4, 100, 60", "curvas2, 400, 200",
             "pendenza, 0, -3", "pendenza, 600, 12", "montagna, 1000, 2000, 11", "montagna, 2000, 2400, 2",
             "indicatori_vmax, 3000, 60, 70, 80, 2, 30, 0, 5, 1", "cartello_indicatore, 2300, (F)",
             "cartello_indicatore, 4100, (Ponte)", "[fine]")
TRAIN = text("[generale]", "numero vetture, 4", "velocita, 0, 100", "velocita, 2000, 60", "aderenza, 0, 90",
             "stazione, 4000, 12, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 30, 0, NORD",
             "segnale, 1000, 2, 3, 1, 4, 1, 1, 5, 6, 7, 50", "segnale, 4150, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0",
             "rallentamento, 2500, 50, 300, 1, 1, 7", "abbattimento, 5000, 180", "abbattimento, 5100, 0",
             "[fine]")


def compiled(tool, plan):
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, NAME + "_linea.txt"), "wb") as f:
            f.write(ROUTE.encode("cp1252"))
        with open(os.path.join(work, NAME + "_517-.txt"), "wb") as f:
            f.write(TRAIN.encode("cp1252"))
        args = [tool, "compile", work] + ([] if plan else ["--no-plan"])
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
        read = lambda name: open(os.path.join(work, name), "rb").read()
        return read(NAME + "_517.dat"), read(NAME + "_517.sim"), read(NAME + "_linea.dat") if plan else b""


def seed(cells, table, plan=None):
    option = 1 if plan is not None else 0
    return bytes([option]) + struct.pack("<II", len(cells), len(table)) + cells + table + (plan or b"")


def main():
    tool = sys.argv[1]
    os.makedirs(OUT, exist_ok=True)
    cells, table, _ = compiled(tool, False)
    pcells, ptable, plan = compiled(tool, True)
    damaged = bytearray(cells)
    for at in range(0, len(damaged), 97):
        damaged[at] ^= 0x5A
    seeds = {
        "small_without_plan": seed(cells, table),
        "small_with_plan": seed(pcells, ptable, plan),
        "cells_cut_short": seed(cells[:-4], table),
        "table_cut_short": seed(cells, table[:-10]),
        "cells_damaged": seed(bytes(damaged), table),
        "plan_cut_short": seed(pcells, ptable, plan[: len(plan) // 3]),
        "no_cells": seed(b"", table),
    }
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
