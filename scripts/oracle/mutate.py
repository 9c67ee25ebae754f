#!/usr/bin/env python3
"""Writes malformed BSDL inputs: seeded mutations of the given files.

    mutate.py OUT_DIR COUNT_PER_FILE FILE...

Each output is its source with one to three mutations: a line deleted,
duplicated or swapped, the file cut, a character changed or inserted (NUL,
CR, quotes, separators, digits, letters), a long line inserted, a line
padded to about the reader's 254-character read length, the last newline
taken away, line ends changed to CR LF. The same arguments always give the
same files.
"""
import os
import random
import sys

SPECIALS = b';:,()&"*-_ \t\r\n\x00\x7f\xff0123456789abcXYZ.'


def mutate_once(rng, data):
    lines = data.split(b"\n")
    kind = rng.randrange(12)
    if kind == 0 and len(lines) > 1:
        del lines[rng.randrange(len(lines))]
    elif kind == 1 and lines:
        i = rng.randrange(len(lines))
        lines.insert(i, lines[i])
    elif kind == 2 and len(lines) > 2:
        i, j = rng.randrange(len(lines)), rng.randrange(len(lines))
        lines[i], lines[j] = lines[j], lines[i]
    elif kind == 3 and data:
        return data[: rng.randrange(len(data))]
    elif kind in (4, 5) and data:
        i = rng.randrange(len(data))
        c = bytes([rng.choice(SPECIALS)])
        return data[:i] + c + data[i + (1 if kind == 4 else 0):]
    elif kind == 6 and lines:
        i = rng.randrange(len(lines))
        lines.insert(i, bytes(rng.choice(b"ab-; \"&(),0") for _ in range(rng.randrange(200, 3000))))
    elif kind == 7 and lines:
        # pad a line to around the 254-character read length
        i = rng.randrange(len(lines))
        target = rng.randrange(248, 262)
        line = lines[i]
        if len(line) < target:
            pos = rng.randrange(len(line) + 1)
            line = line[:pos] + b" " * (target - len(line)) + line[pos:]
        lines[i] = line
    elif kind == 8:
        return data.rstrip(b"\n")
    elif kind == 9:
        return data.replace(b"\n", b"\r\n")
    elif kind == 10 and lines:
        # a long quoted piece in a string value
        i = rng.randrange(len(lines))
        lines[i] = lines[i] + b' "' + b"x" * rng.randrange(240, 600) + b'" &'
    elif kind == 11 and data:
        i = rng.randrange(len(data))
        j = min(len(data), i + rng.randrange(1, 400))
        return data[:i] + data[j:]
    return b"\n".join(lines)


def main():
    out, per_file, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    os.makedirs(out, exist_ok=True)
    for path in files:
        with open(path, "rb") as f:
            source = f.read()
        base = os.path.basename(path)
        rng = random.Random(base)
        for k in range(per_file):
            data = source
            for _ in range(rng.randrange(1, 4)):
                data = mutate_once(rng, data)
            with open(os.path.join(out, "%s.m%03d" % (base, k)), "wb") as f:
                f.write(data)


main()
