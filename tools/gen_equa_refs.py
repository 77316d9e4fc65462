#!/usr/bin/env python3
"""Writes tests/data/equa_refs.txt, the reference table of the polynomial and
simultaneous-equation back ends, computed with mpmath at 30 digits from the
same decimal coefficients the calculator gets:

  "poly d c0 c1 ... cd ; re im k ; re im k ..."
      c0 the leading coefficient; the distinct roots in the calculator's
      order (real part descending, then imaginary part) with their
      multiplicities k
  "siml n a11 ... a1n b1 a21 ... ; x1 ... xn"
      the augmented rows; the solution by mpmath.lu_solve

The polynomials are built from chosen roots (three real, one real and a
complex pair, double and triple roots) and from random coefficients.

Usage: /usr/bin/python3 tools/gen_equa_refs.py   (from the repository root)
"""
import random
from decimal import Decimal

import mpmath

mpmath.mp.dps = 30
rng = random.Random(31)


def dec(x):
    d = Decimal(x).normalize()
    return format(d, "f") if d == d.to_integral_value() or abs(d) >= Decimal("1e-5") else str(d)


def num(x):
    return mpmath.nstr(x, 25, strip_zeros=True)


def rnd(lo, hi, places):
    return Decimal(rng.randint(int(lo * 10**places), int(hi * 10**places))) / (10**places)


def expand(lead, roots):
    """Coefficients of lead * prod(x - r) for real Decimal roots and complex pairs (u, v)."""
    coef = [Decimal(1)]
    for r in roots:
        if isinstance(r, tuple):  # (u, v): x^2 - 2u x + u^2 + v^2
            u, v = r
            f = [Decimal(1), -2 * u, u * u + v * v]
        else:
            f = [Decimal(1), -r]
        out = [Decimal(0)] * (len(coef) + len(f) - 1)
        for i, a in enumerate(coef):
            for j, b in enumerate(f):
                out[i + j] += a * b
        coef = out
    return [lead * c for c in coef]


def poly_line(coef, known=None):
    vals = []
    # Repeated roots are given exactly by their construction; the iteration
    # converges slowly on them.
    cs = [mpmath.mpf(str(c)) for c in coef]
    roots = [] if known is not None else mpmath.polyroots(cs, maxsteps=200, extraprec=200)
    for r in roots:
        r = mpmath.mpc(r)
        re, im = r.real, r.imag
        if abs(im) < mpmath.mpf("1e-25") * max(1, abs(re)):
            im = mpmath.mpf(0)
        vals.append((re, im))
    if known is not None:
        groups = known
    else:
        groups = [(re, im, 1) for re, im in vals]
    groups.sort(key=lambda g: (-g[0], -g[1]))
    text = "poly %d %s" % (len(coef) - 1, " ".join(dec(c) for c in coef))
    for re, im, k in groups:
        text += " ; %s %s %d" % (num(re), num(im), k)
    return text


def lead():
    return rng.choice([Decimal(1), Decimal(-1), Decimal(2), Decimal("0.5"), rnd(-9, 9, 1) or Decimal(3)])


def polys():
    lines = []
    for _ in range(40):  # three real roots
        rs = sorted({rnd(-20, 20, 2) for _ in range(3)})
        if len(rs) < 3:
            continue
        lines.append(poly_line(expand(lead(), rs)))
    for _ in range(40):  # one real root and a complex pair
        r, u, v = rnd(-20, 20, 2), rnd(-20, 20, 2), rnd(0.1, 20, 2)
        lines.append(poly_line(expand(lead(), [r, (u, v)])))
    for _ in range(30):  # quadratics: real and complex
        if rng.random() < 0.5:
            rs = sorted({rnd(-50, 50, 3) for _ in range(2)})
            if len(rs) < 2:
                continue
            lines.append(poly_line(expand(lead(), rs)))
        else:
            lines.append(poly_line(expand(lead(), [(rnd(-50, 50, 3), rnd(0.01, 50, 3))])))
    for _ in range(15):  # repeated roots with exact coefficients
        r, s = Decimal(rng.randint(-12, 12)) / 2, Decimal(rng.randint(-12, 12)) / 2
        ld = Decimal(rng.choice([1, -1, 2, 4]))
        if r == s:
            s = r + 1
        mr, ms = mpmath.mpf(str(r)), mpmath.mpf(str(s))
        kind = rng.choice(["double", "triple", "quad"])
        if kind == "double":
            lines.append(poly_line(expand(ld, [r, r, s]), [(mr, 0, 2), (ms, 0, 1)]))
        elif kind == "triple":
            lines.append(poly_line(expand(ld, [r, r, r]), [(mr, 0, 3)]))
        else:
            lines.append(poly_line(expand(ld, [r, r]), [(mr, 0, 2)]))
    for _ in range(40):  # random coefficients
        d = rng.choice([2, 3])
        coef = [rnd(-99, 99, 3) for _ in range(d + 1)]
        if coef[0] == 0:
            coef[0] = Decimal(1)
        lines.append(poly_line(coef))
    return lines


def systems():
    lines = []
    for n in [2, 3, 4, 5, 6] * 12:
        while True:
            if rng.random() < 0.5:
                cells = [Decimal(rng.randint(-9, 9)) for _ in range(n * (n + 1))]
            else:
                cells = [rnd(-100, 100, 2) for _ in range(n * (n + 1))]
            a = mpmath.matrix(n, n)
            b = mpmath.matrix(n, 1)
            for i in range(n):
                for j in range(n):
                    a[i, j] = mpmath.mpf(str(cells[i * (n + 1) + j]))
                b[i] = mpmath.mpf(str(cells[i * (n + 1) + n]))
            if abs(mpmath.det(a)) > 0 and mpmath.cond(a) < 1e5:
                break
        x = mpmath.lu_solve(a, b)
        lines.append("siml %d %s ; %s" % (n, " ".join(dec(c) for c in cells), " ".join(num(x[i]) for i in range(n))))
    return lines


def main():
    with open("tests/data/equa_refs.txt", "w") as f:
        for line in polys() + systems():
            f.write(line + "\n")


if __name__ == "__main__":
    main()
