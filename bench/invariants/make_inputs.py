#!/usr/bin/env python3
"""Benchmark inputs for `bigraph classify --no-run`: identity, positive, corank 1 and corank 2
bigraphs of n vertices (canonical diagrams scrambled by random weak congruences, so they are
dense), and dense random upper-triangular matrices. Writes NAME.txt (rows of the upper Gram
matrix G) and NAME.gp (S = G + G^T as a PARI/GP matrix) into OUTDIR. Fixed seed.

usage: make_inputs.py OUTDIR [N ...]   (default N: 100 300 1000; dense random: 400 800)
"""
import os
import random
import sys


def path(n):
    """S of the Dynkin path A_n: 2 on the diagonal, -1 between neighbours."""
    s = [[0] * n for _ in range(n)]
    for i in range(n):
        s[i][i] = 2
        if i + 1 < n:
            s[i][i + 1] = s[i + 1][i] = -1
    return s


def cycle(n):
    """S of the Euclidean cycle A~_{n-1} on n vertices (corank 1)."""
    s = path(n)
    s[0][n - 1] = s[n - 1][0] = -1
    return s


def cycle_with_twin(n):
    """The cycle on n - 1 vertices and a twin of vertex 0 (same edges, a double dotted edge to
    it), so e_0 - e_twin is a second kernel vector: corank 2."""
    s = cycle(n - 1)
    for row in s:
        row.append(0)
    s.append([0] * n)
    t = n - 1
    for k in range(n - 1):
        s[t][k] = s[k][t] = s[0][k]
    s[t][t] = 2
    s[0][t] = s[t][0] = 2
    return s


def scramble(s, steps, rng):
    """Random weak congruences e_j -> e_j - S_ij e_i (each keeps the diagonal 2 and the class),
    then a random renumbering."""
    n = len(s)
    done = 0
    while done < steps:
        i, j = rng.randrange(n), rng.randrange(n)
        c = s[i][j]
        if i == j or c == 0:
            continue
        # column j -= c column i, then row j -= c row i
        for k in range(n):
            s[k][j] -= c * s[k][i]
        for k in range(n):
            s[j][k] -= c * s[i][k]
        done += 1
    order = list(range(n))
    rng.shuffle(order)
    return [[s[a][b] for b in order] for a in order]


def dense_random(n, rng):
    """The upper-triangular G with entries -9..9 (diagonal included); S = G + G^T."""
    g = [[rng.randint(-9, 9) if j >= i else 0 for j in range(n)] for i in range(n)]
    return [[g[i][j] + g[j][i] for j in range(n)] for i in range(n)]


def write(outdir, name, s):
    n = len(s)
    with open(os.path.join(outdir, name + ".txt"), "w") as f:
        for i in range(n):
            row = [s[i][j] // 2 if j == i else (s[i][j] if j > i else 0) for j in range(n)]
            f.write(" ".join(map(str, row)) + "\n")
    with open(os.path.join(outdir, name + ".gp"), "w") as f:
        f.write("S = [" + ";".join(",".join(map(str, r)) for r in s) + "];\n")


def main():
    outdir = sys.argv[1]
    sizes = [int(a) for a in sys.argv[2:]] or [100, 300, 1000]
    os.makedirs(outdir, exist_ok=True)
    rng = random.Random(20261209)
    for n in sizes:
        write(outdir, f"identity{n}", [[2 if i == j else 0 for j in range(n)] for i in range(n)])
        write(outdir, f"positive{n}", scramble(path(n), 3 * n, rng))
        write(outdir, f"corank1_{n}", scramble(cycle(n), 3 * n, rng))
        write(outdir, f"corank2_{n}", scramble(cycle_with_twin(n), 3 * n, rng))
    if not sys.argv[2:]:
        for n in (400, 800):
            write(outdir, f"random{n}", dense_random(n, rng))


if __name__ == "__main__":
    main()
