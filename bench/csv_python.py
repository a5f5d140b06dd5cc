#!/usr/bin/env python3
"""Python's csv module on the benchmark file. Each command prints its counts and its seconds.

read FILE                      -> "<fields> <rows> <field bytes> <seconds>"
write FILE OUT ROWS REPEAT     -> "<bytes written> <seconds>": the first ROWS rows of FILE,
                                  written REPEAT times to OUT (reading them is not timed)
"""
import csv
import itertools
import os
import sys
import time


def read(path):
    start = time.perf_counter()
    fields = rows = size = 0
    with open(path, newline='', encoding='utf-8') as f:
        for row in csv.reader(f):
            rows += 1
            fields += len(row)
            size += sum(map(len, row))
    print(fields, rows, size, time.perf_counter() - start)


def write(path, out, count, repeat):
    with open(path, newline='', encoding='utf-8') as f:
        rows = list(itertools.islice(csv.reader(f), count))
    start = time.perf_counter()
    with open(out, 'w', newline='', encoding='utf-8') as f:
        writer = csv.writer(f, lineterminator='\n')
        for _ in range(repeat):
            writer.writerows(rows)
    seconds = time.perf_counter() - start
    print(os.path.getsize(out), seconds)


if __name__ == '__main__':
    if sys.argv[1] == 'read':
        read(sys.argv[2])
    else:
        write(sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5]))
