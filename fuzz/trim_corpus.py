#!/usr/bin/env python3
"""Keeps at most BUDGET of the inputs that a libFuzzer merge has just added to
a kept corpus, chosen greedily by the coverage edges each adds beyond what the
corpus covered before, so that the committed corpora stay small.

  trim_corpus.py <merge control file> <corpus folder> <listing before> <budget>
"""
import os
import sys


def main():
    control, corpus, listing, budget = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    with open(listing) as f:
        before = {line.strip() for line in f if line.strip()}
    with open(control) as f:
        lines = f.read().splitlines()
    count, first = int(lines[0]), int(lines[1])
    paths = lines[2:2 + count]
    edges = {}
    for line in lines[2 + count:]:
        if line.startswith("COV "):
            parts = line.split()
            edges[int(parts[1])] = set(parts[2:])

    covered = set()
    for i in range(first):
        covered |= edges.get(i, set())
    added = sorted(set(os.listdir(corpus)) - before)
    by_name = {}
    for i in range(first, count):
        by_name.setdefault(os.path.basename(paths[i]), set()).update(edges.get(i, set()))

    kept = []
    candidates = {name: by_name.get(name, set()) for name in added}
    while candidates and len(kept) < budget:
        name, gain = max(candidates.items(), key=lambda item: len(item[1] - covered))
        if not gain - covered:
            break
        kept.append(name)
        covered |= gain
        del candidates[name]
    for name in added:
        if name not in kept:
            os.remove(os.path.join(corpus, name))
    print(f"kept {len(kept)} of {len(added)} new inputs in {corpus}")


if __name__ == "__main__":
    main()
