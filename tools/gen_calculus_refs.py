#!/usr/bin/env python3
"""Writes tests/data/calculus_refs.txt: reference values of the calculus
functions computed with mpmath at 30 digits.

One case a line: "<expression in the evaluator tests' token notation> ;
<value> ; <relative tolerance>". The value is the exact integral, derivative
or root of the same expression; the calculator's results are rounded to 11
significant digits (integrals, derivatives) or cleaned up to 15 (roots).

Usage: /usr/bin/python3 tools/gen_calculus_refs.py   (from the repository root)
"""
import mpmath

mpmath.mp.dps = 30
pi = mpmath.pi

# (notation, value, relative tolerance); angles in radians.
INTEGRALS = [
    ("{int}X{sq},0,3)", mpmath.quad(lambda x: x**2, [0, 3])),
    ("{int}{exp}X,0,1)", mpmath.quad(mpmath.exp, [0, 1])),
    ("{int}{exp}X,1,0)", -mpmath.quad(mpmath.exp, [0, 1])),
    ("{int}1/(1+X{sq}),0,1)", mpmath.quad(lambda x: 1 / (1 + x**2), [0, 1])),
    ("{int}X{sin}(30X),0,2{pi})", mpmath.quad(lambda x: x * mpmath.sin(30 * x), mpmath.linspace(0, 2 * pi, 61))),
    ("{int}{cos}(X{sq}),0,3)", mpmath.quad(lambda x: mpmath.cos(x**2), [0, 1, 2, 3])),
    ("{int}{exp}(~X{sq}),0,3,1{e}~10)", mpmath.quad(lambda x: mpmath.exp(-x**2), [0, 3])),
    ("{int}{sqrt}(1-X{sq}),~1,1)", mpmath.quad(lambda x: mpmath.sqrt(1 - x**2), [-1, 1])),
    ("{int}{ln}X,0,1)", mpmath.quad(mpmath.log, [0, 1])),
    ("{int}{sin}X,0,2{pi})", mpmath.mpf(0)),
]
# 1/sqrt(X) from 0 to 1 converges slowly at its singular end: 2 within 1E-8.
SINGULAR = [("{int}1/{sqrt}X,0,1)", mpmath.mpf(2), "1e-8")]

DERIVATIVES = [
    ("{ddx}X^3,2)", mpmath.diff(lambda x: x**3, 2)),
    ("{ddx}{sin}X,1)", mpmath.diff(mpmath.sin, 1)),
    ("{ddx}X^X,2)", mpmath.diff(lambda x: x**x, 2)),
    ("{ddx}{exp}X,10)", mpmath.diff(mpmath.exp, 10)),
    ("{ddx}{sqrt}X,1{e}~4)", mpmath.diff(mpmath.sqrt, mpmath.mpf("1e-4"))),
    ("{ddx}{ln}X,1{e}~5)", mpmath.diff(mpmath.log, mpmath.mpf("1e-5"))),
    ("{ddx}1/X,0.1)", mpmath.diff(lambda x: 1 / x, mpmath.mpf("0.1"))),
    ("{#7F27}{sin}X,1)", mpmath.diff(mpmath.sin, 1, 2)),
    ("{#7F27}X^4,2)", mpmath.diff(lambda x: x**4, 2, 2)),
    ("{#7F27}{exp}(2X),0)", mpmath.diff(lambda x: mpmath.exp(2 * x), 0, 2)),
    ("{#7F27}{ln}X,0.5)", mpmath.diff(mpmath.log, mpmath.mpf("0.5"), 2)),
    ("{#7F27}{cos}(X{sq}),1.5)", mpmath.diff(lambda x: mpmath.cos(x**2), mpmath.mpf("1.5"), 2)),
]

ROOTS = [
    ("{Solve}X{sq}-2,1)", mpmath.sqrt(2)),
    ("{Solve}X{sq}=4,~3)", mpmath.mpf(-2)),
    ("{Solve}X{sq}=4,~3,0,10)", mpmath.mpf(2)),
    ("{Solve}{cos}X=X,0)", mpmath.findroot(lambda x: mpmath.cos(x) - x, 0.7)),
    ("{Solve}X^3-2X-5,2)", mpmath.findroot(lambda x: x**3 - 2 * x - 5, 2)),
    ("{Solve}{ln}X=1,~1)", mpmath.e),
    ("{Solve}{exp}X=3X,0)", mpmath.findroot(lambda x: mpmath.exp(x) - 3 * x, 0.6)),
    ("{Solve}{exp}X=3X,2)", mpmath.findroot(lambda x: mpmath.exp(x) - 3 * x, 1.5)),
    ("{Solve}2X-1,0.3)", mpmath.mpf("0.5")),
    ("{Solve}1/X=2{e}13,4{e}~14)", mpmath.mpf("5e-14")),
]


def main():
    lines = []
    for text, value in INTEGRALS + DERIVATIVES:
        # A second derivative converges to 1E-10 of its own last estimate:
        # it may miss the exact value by that much again.
        tol = "2e-10" if text.startswith("{#7F27}") else "1e-10"
        lines.append(f"{text} ; {mpmath.nstr(value, 25)} ; {tol}")
    for text, value, tol in SINGULAR:
        lines.append(f"{text} ; {mpmath.nstr(value, 25)} ; {tol}")
    for text, value in ROOTS:
        lines.append(f"{text} ; {mpmath.nstr(value, 25)} ; 1e-14")
    with open("tests/data/calculus_refs.txt", "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
