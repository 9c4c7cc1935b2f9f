#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: valid best-results files and damaged ones,
each behind a score and a typed name (the fuzzer's input layout)."""
import os
import struct

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def record(name, score):
    raw = name.encode("utf-8")[:20]
    return raw + b"\0" * (20 - len(raw)) + struct.pack("<i", score)


def table(records, count=None):
    body = b"".join(record(n, s) for n, s in records)
    return struct.pack("<i", len(records) if count is None else count) + body


def seed(name, score, typed, file_bytes):
    typed_bytes = typed.encode("utf-8")[:39]
    data = struct.pack("<i", score) + bytes([len(typed_bytes)]) + typed_bytes + file_bytes
    with open(os.path.join(here, name), "wb") as out:
        out.write(data)


ten = [("player%d" % k, 1000 - 100 * k) for k in range(10)]
os.makedirs(here, exist_ok=True)
seed("no-file-yet", 120, "Anna", b"")
seed("three-sorted", 550, "Boris", table([("Vera", 900), ("Gleb", 550), ("Dina", 10)]))
seed("full-not-placed", 5, "Late", table(ten))
seed("full-new-best", 5000, "Best", table(ten))
seed("equal-scores", 700, "Same", table([("a", 700), ("b", 700), ("c", 600)]))
seed("utf8-names", 300, "Ёжик в тумане и ещё немного", table([("Ёлка", 400), ("日本語の名前です", 200)]))
seed("unterminated-name", 50, "x", table([("X" * 20, 60)]) [:4] + b"X" * 20 + struct.pack("<i", 60))
seed("unsorted", 250, "Mixed", table([("low", 10), ("high", 900), ("mid", 300)]))
seed("count-too-big", 100, "Ivan", table(ten[:3], count=12))
seed("count-negative", 100, "Ivan", table(ten[:3], count=-1))
seed("ends-at-record", 100, "Olga", table(ten[:2], count=5))
seed("cut-in-record", 100, "Olga", table(ten[:3])[:4 + 24 + 11])
seed("cut-in-count", 100, "Petr", b"\x03\x00")
seed("negative-scores", -5, "Neg", table([("m", -1), ("n", -2147483648)]))
