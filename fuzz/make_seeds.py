#!/usr/bin/env python3
"""Writes the compile fuzzer's seed corpus: small scenarios that each reach one error code, and the
embedded scenario exported by scenario-tool. Input layout: an option byte (bit 0: build the plan; bit 1:
no route source), the route source, a NUL byte, the train run source.

Usage: fuzz/make_seeds.py EXPORTED_DIR   (a folder written by `scenario-tool export`)
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "compile")


def text(*lines):
    return "".join(line + "\r\n" for line in lines)


def route(*features, general=("lunghezza percorso, 2000",)):
    return text("[generale]", *general, "[curve]", *features, "[fine]")


def train(*lines):
    return text("[generale]", "numero vetture, 3", *lines, "[fine]")


STATION0 = "stazione, 0, 12, 600, 1, 0, 0, 4, 1, 0, 2, 1, 1, 1, 16, 57, 0, ALFA"

SEEDS = {
    # name: (option, route or None, train or None)
    "ok_small": (1, route("pendenza, 0, -1", "curvad4, 2, 2", "montagna, 100, 400, 11"),
                 train("velocita, 0, 75", "aderenza, 0, 90", STATION0, "segnale, 2000, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0")),
    "e101_no_route": (3, None, train()),
    "e102_no_general": (1, text("lunghezza percorso, 2000", "[fine]"), train()),
    "e001_too_long": (0, route(general=("lunghezza percorso, 2000000",)), train()),
    "e003_repetition_first": (0, route(general=("lunghezza percorso, 2000", "ripetizione segnali 4 codici, 25, 0")), train()),
    "e004_repetition_second": (0, route(general=("lunghezza percorso, 2000", "ripetizione segnali 9 codici, 50, 75")), train()),
    "e005_repetition_codes": (0, route(general=("lunghezza percorso, 2000", "ripetizione segnali, 50, 50")), train()),
    "e015_beyond": (1, route("pendenza, 0, 1", "pendenza, 99999, 1"), train()),
    "e103_curve_class": (1, route("curvad, 100, 50"), train()),
    "e006_board_on_board": (0, route("cartello_indicatore, 700, (F)", "cartello_indicatore, 700, (G)"), train()),
    "e021_speed_board": (0, route("cartello_indicatore, 700, (F)", "indicatori_vmax, 700, 60, 70, 70, 0, , , , 0"), train()),
    "e025_bad_number": (0, route(general=("lunghezza percorso, abc",)), train()),
    "e025_no_length": (0, route(general=("sfondo uno, 0",)), train()),
    "e025_no_train": (1, route("pendenza, 0, 0"), None),
    "e002_kilometre_post": (0, route(general=("lunghezza percorso, 2000", "progressiva chilometrica uno, 0, 925, 0")), train()),
    "e007_code_point": (0, route(), train("abbattimento, 500, 0", "abbattimento, 500, 180")),
    "e008_station_position": (0, route(), train("stazione, 510, 1, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, X")),
    "e009_platform_length": (0, route(), train("stazione, 500, 1, 250, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, X")),
    "e010_too_many_stations": (0, route(general=("lunghezza percorso, 200000",)),
                               train(*("stazione, %d, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, S%d" % (1000 + 500 * i, i)
                                       for i in range(80)))),
    "e016_signal_occupied": (0, route(), train("segnale, 800, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0", "segnale, 800, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0")),
    "e017_warning_occupied": (0, route(general=("lunghezza percorso, 5000",)),
                              train("abbattimento, 450, 0", "rallentamento, 1600, 30, 100, 0, 0, 0")),
    "e018_start_occupied": (0, route(), train("segnale, 900, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0", "rallentamento, 900, 30, 100, 0, 0, 0")),
    "e019_end_occupied": (0, route(), train("segnale, 1000, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0", "rallentamento, 900, 30, 100, 0, 0, 0")),
    "e020_approach_occupied": (0, route(general=("lunghezza percorso, 5000",)),
                               train("abbattimento, 300, 0", "rallentamento, 1600, 30, 100, 0, 1, 2")),
    "e022_station_spacing": (0, route(general=("lunghezza percorso, 5000",)),
                             train("stazione, 1000, 1, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, A",
                                   "stazione, 1400, 1, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, B")),
    "e024_stop_point": (0, route(), train("stazione, 0, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, X")),
    "e011_no_cell_before_signal": (0, route(general=("lunghezza percorso, 5000",)),
                                   train("abbattimento, 1250, 0", "abbattimento, 1300, 0",
                                         "segnale, 1300, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0",
                                         "rallentamento, 3000, 30, 100, 0, 0, 0")),
    "e012_window": (0, route(general=("lunghezza percorso, 5000",)),
                    train("abbattimento, 2550, 0", "abbattimento, 2600, 0", "abbattimento, 2650, 0",
                          "rallentamento, 2850, 120, 100, 0, 0, 0")),
    "e013_walk": (0, route(general=("lunghezza percorso, 5000",)),
                  train(*("abbattimento, %d, 0" % p for p in (2600, 2650, 2700)),
                        "rallentamento, 2200, 30, 1000, 0, 0, 0")),
    "e1250_reserved": (0, route(), train("abbattimento, 50, 5")),
    "e1251_reserved": (0, route(), train("rallentamento, 0, 0, 0, 0, 0, 7")),
    "comments_everywhere": (1, text("- intro -", "[GENERALE]", *(["------"] * 10), "lunghezza percorso, 3000", "[curve]",
                                    "---", "---", "---", "pendenza, 0, 1", "[fine]"),
                            text("[generale]", "-- x --", "-- y --", "velocita, 0, 80", "[fine]")),
}


def write(name, option, route_text, train_text):
    data = bytes([option])
    data += (route_text or "").encode("cp1252")
    if train_text is not None:
        data += b"\0" + train_text.encode("cp1252")
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, (option, r, t) in SEEDS.items():
        write(name, option, r, t)
    if len(sys.argv) > 1:
        d = sys.argv[1]
        r = open(os.path.join(d, "Borgorosso_MontegranoC_linea.txt"), "rb").read()
        t = open(os.path.join(d, "Borgorosso_MontegranoC_517-.txt"), "rb").read()
        for option, name in ((1, "embedded_with_plan"), (0, "embedded_without_plan")):
            with open(os.path.join(OUT, name), "wb") as f:
                f.write(bytes([option]) + r + b"\0" + t)
    field_out = os.path.join(HERE, "corpus", "field_reader")
    os.makedirs(field_out, exist_ok=True)
    samples = {"numbers": b"\x55" + b"16   56   0 \r\n-1,+7,  ,0    ,0\r\n",
               "texts": b"\x00" + b"cartello_indicatore,  700,   (F)\r\n[fine]\r\n",
               "bad_numbers": b"\x55" + b"12.5,abc,1e3,99999999999\r\n"}
    for name, data in samples.items():
        with open(os.path.join(field_out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
