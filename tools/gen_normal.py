#!/usr/bin/env python3
"""Reference values of the standard normal probabilities for the tests.

tests/data/normal_ref.txt: one line per argument x: "x P Q R", where
P = probability below x, Q = probability between 0 and |x|, R = probability
above x, computed with mpmath at 30 digits and written with 20 significant
digits. The calculator keeps five significant digits of a polynomial whose
absolute error stays below 7.5E-8; the test allows that error plus half a
unit of the fifth digit.

Run from the repository root: python3 tools/gen_normal.py
"""
import random

import mpmath

mpmath.mp.dps = 30


def main():
    rng = random.Random(20261210)
    xs = ["0", "1.96", "-1.96", "1", "-1", "0.5", "2.5758", "3", "-3", "4", "5.5", "-6", "10", "999.9"]
    for _ in range(300):
        d = rng.choice([2, 3, 5, 8, 12, 15])
        x = round(rng.uniform(-7, 7), d)
        xs.append(repr(x))
    with open("tests/data/normal_ref.txt", "w") as f:
        f.write("# x P Q R (tools/gen_normal.py)\n")
        for x in xs:
            v = mpmath.mpf(x)
            p = mpmath.ncdf(v)
            r = 1 - p
            q = abs(p - mpmath.mpf("0.5"))
            f.write("%s %s %s %s\n" % (x, mpmath.nstr(p, 20), mpmath.nstr(q, 20), mpmath.nstr(r, 20)))


if __name__ == "__main__":
    main()
