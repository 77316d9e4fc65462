#!/usr/bin/env python3
"""Writes the reference tables of the list and matrix engines:

tests/data/list_stats.txt, one random list a line, checked against Python's
statistics and decimal modules:
  "stats x1 x2 ... ; mean median q1 q3 sum sumsq popsd sampsd"
  (the quartiles are the medians of the lower and upper halves, the middle
  element left out for an odd count; 1 to 3 elements give the extremes;
  sampsd is "-" for one element), and with frequencies:
  "freq x1 ... ; f1 ... ; mean median q1 q3"

tests/data/mat_refs.txt, determinants and inverses computed with mpmath at
50 digits from the same decimal entries the calculator gets:
  "real n a11 a12 ... ; det ; inv11 inv12 ..." (inverse "-" when singular)
  "cplx n re11 im11 ... ; detre detim ; invre11 invim11 ..."
  "hilb n ; det ; inv11 ..." (entries 1/(i+j-1) given as exact fractions)

Usage: python3 tools/gen_array_refs.py   (from the repository root)
"""
import random
import statistics
from decimal import Decimal, getcontext
from fractions import Fraction

import mpmath

getcontext().prec = 60
mpmath.mp.dps = 50


def fmt(x, digits=20):
    return mpmath.nstr(mpmath.mpf(x), digits, strip_zeros=True) if not isinstance(x, str) else x


def dec_text(d):
    return format(Decimal(d).normalize(), "f") if abs(Decimal(d)) >= Decimal("1e-5") or d == 0 else str(Decimal(d))


def median_of(vals):
    return statistics.median([Fraction(v) for v in vals])


def quartiles(vals):
    s = sorted(Fraction(v) for v in vals)
    n = len(s)
    if n <= 3:
        return s[0], s[-1]
    h = n // 2
    return statistics.median(s[:h]), statistics.median(s[n - h:])


def frac_dec(f):
    return Decimal(f.numerator) / Decimal(f.denominator)


def gen_stats(rnd, out):
    for case in range(60):
        n = rnd.choice([1, 2, 3, 4, 5, 6, 7, 10, 17, 50, 99, 200, 999]) if case > 5 else case + 1
        vals = [Decimal(rnd.randint(-99999, 99999)) / Decimal(10 ** rnd.randint(0, 4)) for _ in range(n)]
        if rnd.random() < 0.3:
            vals = [Decimal(rnd.randint(-5, 5)) for _ in range(n)]  # ties
        mean = sum(vals) / n
        med = frac_dec(median_of(vals))
        q1, q3 = quartiles(vals)
        ssum = sum(vals)
        sq = sum(v * v for v in vals)
        pop = statistics.pstdev(vals)
        samp = statistics.stdev(vals) if n > 1 else "-"
        res = [mean, med, frac_dec(q1), frac_dec(q3), ssum, sq, pop, samp]
        out.write("stats " + " ".join(dec_text(v) for v in vals) + " ; " +
                  " ".join(x if isinstance(x, str) else fmt(mpmath.mpf(str(x))) for x in res) + "\n")
    for case in range(30):
        n = rnd.choice([1, 2, 3, 5, 8, 20, 100])
        vals = [Decimal(rnd.randint(-500, 500)) / Decimal(10) for _ in range(n)]
        fr = [rnd.randint(0, 6) for _ in range(n)]
        if sum(fr) == 0:
            fr[0] = 1
        expanded = [v for v, f in zip(vals, fr) for _ in range(f)]
        mean = sum(v * f for v, f in zip(vals, fr)) / sum(fr)
        med = frac_dec(median_of(expanded))
        q1, q3 = quartiles(expanded) if len(expanded) > 1 else (Fraction(expanded[0]), Fraction(expanded[0]))
        out.write("freq " + " ".join(dec_text(v) for v in vals) + " ; " + " ".join(str(f) for f in fr) + " ; " +
                  " ".join(fmt(mpmath.mpf(str(x))) for x in [mean, med, frac_dec(q1), frac_dec(q3)]) + "\n")


def gen_mats(rnd, out):
    sizes = [1, 2, 3, 4, 5, 7, 10, 13, 16, 20]
    for n in sizes:
        for kind in range(2):
            if kind == 0:
                a = [[rnd.randint(-9, 9) for _ in range(n)] for _ in range(n)]
            else:
                a = [[Decimal(rnd.randint(-99999, 99999)) / 1000 for _ in range(n)] for _ in range(n)]
            m = mpmath.matrix([[mpmath.mpf(str(x)) for x in row] for row in a])
            det = mpmath.det(m)
            try:
                inv = m ** -1 if abs(det) > mpmath.mpf("1e-40") else None
            except ZeroDivisionError:
                inv = None
            out.write("real %d %s ; %s ; %s\n" % (
                n, " ".join(str(x) for row in a for x in row), fmt(det),
                "-" if inv is None else " ".join(fmt(inv[i, j]) for i in range(n) for j in range(n))))
    for n in [1, 2, 3, 5, 8, 12, 20]:
        a = [[(rnd.randint(-9, 9), rnd.randint(-9, 9)) for _ in range(n)] for _ in range(n)]
        m = mpmath.matrix([[mpmath.mpc(re, im) for re, im in row] for row in a])
        det = mpmath.det(m)
        inv = m ** -1
        out.write("cplx %d %s ; %s %s ; %s\n" % (
            n, " ".join("%d %d" % x for row in a for x in row), fmt(det.real), fmt(det.imag),
            " ".join("%s %s" % (fmt(inv[i, j].real), fmt(inv[i, j].imag)) for i in range(n) for j in range(n))))
    for n in range(2, 9):
        m = mpmath.matrix([[mpmath.mpf(1) / (i + j + 1) for j in range(n)] for i in range(n)])
        det = mpmath.det(m)
        inv = m ** -1
        out.write("hilb %d ; %s ; %s\n" % (n, fmt(det), " ".join(fmt(inv[i, j]) for i in range(n) for j in range(n))))


def main():
    rnd = random.Random(20261210)
    with open("tests/data/list_stats.txt", "w") as f:
        gen_stats(rnd, f)
    with open("tests/data/mat_refs.txt", "w") as f:
        gen_mats(rnd, f)


if __name__ == "__main__":
    main()
