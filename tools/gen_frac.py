#!/usr/bin/env python3
"""Writes tests/data/frac_ops.txt: exact fraction arithmetic checked against
Python's fractions module.

Each line is "op a b result": op one of + - * / ^, a and b as the
calculator's fraction texts ("2a1a3" is 2 1/3, "-4a7" is -4/7, "5" an
integer), and the result as the tests print a real: "w_n/d" or "n/d" for a
fraction that fits the 10-nibble form, the decimal rounded half up to 15
significant digits otherwise ("E3" for Ma ERROR).

Usage: python3 tools/gen_frac.py > tests/data/frac_ops.txt
"""
import random
from decimal import Decimal, ROUND_HALF_UP, getcontext
from fractions import Fraction

getcontext().prec = 60


def nibbles(f):
    """Nibbles of the fraction form of f (reduced, mixed), or None."""
    f = abs(f)
    w, r = divmod(f.numerator, f.denominator)
    if r == 0:
        return None
    n = (len(str(w)) + 1 if w else 0) + len(str(r)) + 1 + len(str(f.denominator))
    return n


def frac_text(f, improper=False):
    """The calculator's fraction text of f: mixed ("-2a1a3") or improper
    ("-7a3"); the parser reduces either to the same stored fraction."""
    s = "-" if f < 0 else ""
    f = abs(f)
    w, r = divmod(f.numerator, f.denominator)
    if r == 0:
        return s + str(w)
    if improper:
        return "%s%da%d" % (s, f.numerator, f.denominator)
    if w:
        return "%s%da%da%d" % (s, w, r, f.denominator)
    return "%s%da%d" % (s, r, f.denominator)


def show_decimal(v):
    """A decimal rounded half up to 15 significant digits, printed as the
    tests print a stored real."""
    if v == 0:
        return "0"
    sign = "-" if v < 0 else ""
    v = abs(v)
    exp = v.adjusted()
    q = v.scaleb(-exp).quantize(Decimal("1.00000000000000"), rounding=ROUND_HALF_UP)
    if q >= 10:
        q = (q / 10).quantize(Decimal("1.00000000000000"), rounding=ROUND_HALF_UP)
        exp += 1
    if exp > 99:
        return "E3"
    if exp < -99:
        return "0"
    digits = str(q).replace(".", "").rstrip("0") or "0"
    if -5 <= exp <= 14:
        if exp < 0:
            return sign + "0." + "0" * (-exp - 1) + digits
        if len(digits) <= exp + 1:
            return sign + digits + "0" * (exp + 1 - len(digits))
        return sign + digits[: exp + 1] + "." + digits[exp + 1 :]
    out = sign + digits[0]
    if len(digits) > 1:
        out += "." + digits[1:]
    return out + "e" + str(exp)


def show(f):
    n = nibbles(f)
    if n is not None and n <= 10:
        s = "-" if f < 0 else ""
        a = abs(f)
        w, r = divmod(a.numerator, a.denominator)
        return s + ("%d_%d/%d" % (w, r, a.denominator) if w else "%d/%d" % (r, a.denominator))
    return show_decimal(Decimal(f.numerator) / Decimal(f.denominator))


def random_fraction(rng):
    while True:
        kind = rng.random()
        if kind < 0.35:
            f = Fraction(rng.randint(1, 99), rng.randint(2, 99))
        elif kind < 0.7:
            f = Fraction(rng.randint(1, 9999), rng.randint(2, 9999))
        else:
            f = rng.randint(0, 999) + Fraction(rng.randint(1, 999), rng.randint(2, 999))
        if rng.random() < 0.4:
            f = -f
        n = nibbles(f)
        if n is not None and n <= 10:
            return f


def random_operand(rng):
    if rng.random() < 0.2:
        return Fraction(rng.randint(-99, 99))
    return random_fraction(rng)


def main():
    rng = random.Random(9)
    rows = []
    # Hand-picked cases: reduction, cancellation to zero and integers, the
    # 10-nibble limit, and division by zero.
    fixed = [
        ("+", "1a2", "1a3"), ("-", "1a2", "1a2"), ("*", "2a3", "3a2"), ("/", "1a3", "0"),
        ("+", "1a997", "1a991"), ("+", "1a3", "2"), ("-", "1a3", "1"), ("*", "1a3", "3"),
        ("/", "2", "1a3"), ("+", "1a2", "1a2"), ("-", "-1a2", "-1a2"), ("*", "-2a3", "-3a4"),
        ("/", "-7a3", "14a9"), ("+", "99999a99998", "1a99998"), ("*", "9999a10000", "9999a10000"),
        ("^", "2a3", "2"), ("^", "2a3", "-2"), ("^", "-2a3", "3"), ("^", "-2a3", "-3"), ("^", "1a2", "0"),
        ("^", "7a9", "1"), ("^", "1a2", "20"), ("^", "3a2", "-4"), ("^", "1a1000", "2"),
    ]
    for op, a, b in fixed:
        rows.append((op, a, b))
    for _ in range(700):
        op = rng.choice("+-*/")
        a = random_operand(rng)
        b = random_operand(rng)
        if a.denominator == 1 and b.denominator == 1:
            a = random_fraction(rng)
        rows.append((op, frac_text(a, rng.random() < 0.3), frac_text(b, rng.random() < 0.3)))
    for _ in range(150):
        a = random_fraction(rng)
        rows.append(("^", frac_text(a), str(rng.randint(-4, 4))))
    for op, a, b in rows:
        fa = parse(a)
        fb = parse(b)
        if op == "+":
            r = fa + fb
        elif op == "-":
            r = fa - fb
        elif op == "*":
            r = fa * fb
        elif op == "/":
            if fb == 0:
                print(op, a, b, "E3")
                continue
            r = fa / fb
        else:
            r = fa ** int(fb)
        print(op, a, b, show(r))


def parse(t):
    sign = -1 if t.startswith("-") else 1
    parts = [int(p) for p in t.lstrip("-").split("a")]
    if len(parts) == 1:
        return sign * Fraction(parts[0])
    if len(parts) == 2:
        return sign * Fraction(parts[0], parts[1])
    return sign * (parts[0] + Fraction(parts[1], parts[2]))


if __name__ == "__main__":
    main()
