#!/usr/bin/env python3
"""Generates the reference tables of the number core's tests.

tests/data/number_arith.txt: add, sub, mul, div on stored reals, computed with
Python's decimal module (15 digits, ROUND_HALF_UP) and the stored range rules
(an exponent of 100 or more is Ma ERROR "err3", below -99 the value is 0).
The adder drops the digits of the smaller operand that fall below the 23rd
digit of the larger one (no sticky digit); where that changes a subtraction's
result the table holds that answer and marks the line with "D".

tests/data/number_trans.txt: the transcendental functions, computed with
mpmath at 40 digits and rounded half up to 15. Arguments whose reference lies
within 10^-21 (relative) of a rounding boundary are left out and counted in
the file's header.

tests/data/number_halfpi.txt: sin, cos and tan in radians at and next to
multiples k of pi/2 (k up to 10^6, both signs). The fifteen-digit roundings
of k pi/2 and of k times the stored pi (3.14159265358980) halved count as the multiple
itself (sin 0 or +-1, cos likewise, tan 0 or Ma ERROR "err3"); every other
argument, one to three units of the last digit away, has its true value.

Line format: "op unit a b expected [D]" (unit and b are "-" when unused);
numbers are written as d1.d2...dn[e<exp>] without trailing zeros.

Run from the repository root: python3 tools/gen_number_oracle.py
"""
import random
from decimal import Decimal, Context, ROUND_HALF_UP, ROUND_DOWN, localcontext

import mpmath

EXACT = Context(prec=200, Emax=100000, Emin=-100000)
R15 = Context(prec=15, rounding=ROUND_HALF_UP, Emax=100000, Emin=-100000)


def fmt(d):
    """Canonical text of a Decimal (already within 15 digits)."""
    if d == 0:
        return "0"
    sign, digits, exp = d.as_tuple()
    ds = "".join(map(str, digits)).rstrip("0") or "0"
    e = exp + len(digits) - 1
    s = ("-" if sign else "") + ds[0]
    if len(ds) > 1:
        s += "." + ds[1:]
    if e != 0:
        s += "e%d" % e
    return s


def stored(d):
    """Range rules of the stored form applied to a rounded Decimal."""
    if d == 0:
        return "0"
    e = d.adjusted()
    if e >= 100:
        return "err3"
    if e < -99:
        return "0"
    return fmt(d)


def rand_real(rng, emin=-99, emax=99, digits=None):
    n = digits if digits else rng.choice([1, 2, 3, 5, 8, 12, 15, 15, 15, 15])
    mant = str(rng.randint(1, 9)) + "".join(str(rng.randint(0, 9)) for _ in range(n - 1))
    e = rng.randint(emin, emax)
    sign = rng.choice(["", "-"])
    return Decimal(sign + mant[0] + "." + mant[1:] + "e" + str(e)) if n > 1 else Decimal(sign + mant + "e" + str(e))


def trunc_at(x, unit_exp):
    """x truncated toward zero to a multiple of 10^unit_exp."""
    with localcontext(EXACT):
        return x.quantize(Decimal(1).scaleb(unit_exp), rounding=ROUND_DOWN)


def register_add(a, b):
    """a + b as the 23-digit adder forms it, before rounding."""
    if a == 0:
        return b
    if b == 0:
        return a
    la, lb = (a, b) if abs(a) >= abs(b) else (b, a)
    d = la.adjusted() - lb.adjusted()
    if d >= 23:
        return la
    s = trunc_at(lb, la.adjusted() - 22)
    return EXACT.add(la, s)


def arith_line(op, a, b):
    flag = ""
    if op in ("add", "sub"):
        bb = b if op == "add" else -b
        exact = R15.plus(EXACT.add(a, bb))
        part = R15.plus(register_add(a, bb))
        if exact != part:
            flag = " D"
        res = stored(part)
    elif op == "mul":
        res = stored(R15.plus(EXACT.multiply(a, b)))
    else:
        if b == 0:
            res = "err3"
        else:
            with localcontext(Context(prec=60, Emax=100000, Emin=-100000)):
                q = a / b
            res = stored(R15.plus(q))
    return "%s - %s %s %s%s" % (op, fmt(a), fmt(b), res, flag)


def arith_cases(rng):
    lines = []
    edges = ["0", "1", "-1", "2", "3", "0.5", "9.99999999999999e99", "-9.99999999999999e99", "1e-99",
             "-1e-99", "1e99", "0.99999999999999", "1.00000000000001", "5e-15", "4.99999999999999e-15",
             "5.00000000000001e-16", "9.99999999999999", "0.333333333333333", "7", "1e-15", "1e15",
             "123456789012345", "3.14159265358980", "2.71828182845904", "5e-16", "9e-16"]
    edges = [Decimal(e) for e in edges]
    for op in ("add", "sub", "mul", "div"):
        for a in edges:
            for b in edges:
                lines.append(arith_line(op, a, b))
        # Random pairs with exponent differences that exercise alignment.
        for _ in range(2200):
            a = rand_real(rng)
            if op in ("add", "sub"):
                e = a.adjusted() - rng.choice([0, 0, 1, 2, 5, 9, 13, 14, 15, 16, 17, 20, 22, 23, 24, 30])
                e = max(-99, min(99, e))
                b = rand_real(rng, e, e)
                if rng.random() < 0.5:
                    a, b = b, a
            else:
                b = rand_real(rng)
            lines.append(arith_line(op, a, b))
        if op in ("add", "sub"):
            # Near-cancelling pairs: the second operand just below or above
            # the first, differing in the last digits.
            for _ in range(300):
                a = rand_real(rng, -50, 50, 15)
                tail = Decimal(rng.randint(1, 999)).scaleb(a.adjusted() - 14 - rng.randint(0, 12))
                b = a - tail if op == "sub" else -(a - tail)
                b = R15.plus(b)
                lines.append(arith_line(op, a, b))
            # Half a unit of the last digit plus a digit far below it: the
            # dropped digit decides an exact subtraction.
            for _ in range(100):
                a = rand_real(rng, -90, 90, 15)
                low = rng.randint(1, 9)
                b = Decimal("5.0000000000000%d" % low).scaleb(a.adjusted() - 16 - rng.randint(0, 6))
                if rng.random() < 0.5:
                    b = -b
                lines.append(arith_line(op, a, b))
    return lines


# ---------------------------------------------------------------- transcendental

mpmath.mp.dps = 40


def mp(d):
    return mpmath.mpf(str(d))


def near_boundary(v):
    """True when v lies within 1e-21 (relative) of a 15-digit rounding boundary."""
    if v == 0:
        return False
    av = abs(v)
    e = int(mpmath.floor(mpmath.log10(av)))
    scaled = av / mpmath.power(10, e - 15)
    # Correct a log10 that is one off.
    if scaled >= mpmath.mpf(10) ** 16:
        e += 1
        scaled = av / mpmath.power(10, e - 15)
    frac = scaled - mpmath.floor(scaled)
    return abs(frac - mpmath.mpf("0.5")) * mpmath.power(10, e - 15) / av < mpmath.mpf("1e-21")


def ref_text(v):
    if v == 0:
        return "0"
    d = Decimal(mpmath.nstr(v, 40, min_fixed=1, max_fixed=0).replace("e+", "e"))
    return stored(R15.plus(d))


RAD, DEG, GRA = 1, 0, 2


def to_rad(x, unit):
    if unit == RAD:
        return x
    if unit == DEG:
        return x * mpmath.pi / 180
    return x * mpmath.pi / 200


def from_rad(r, unit):
    if unit == RAD:
        return r
    if unit == DEG:
        return r * 180 / mpmath.pi
    return r * 200 / mpmath.pi


def trig(x, unit, which):
    """sin, cos or tan; degrees and grads go through sinpi and cospi so that
    exact multiples of a right angle give exact zeros."""
    if unit == RAD:
        return [mpmath.sin, mpmath.cos, mpmath.tan][which](x)
    t = x / (180 if unit == DEG else 200)
    s, c = mpmath.sinpi(t), mpmath.cospi(t)
    if which == 2:
        return None if c == 0 else s / c
    return s if which == 0 else c


FUNCS = {
    "sqrt": (lambda x, u: mpmath.sqrt(x)),
    "ln": (lambda x, u: mpmath.log(x)),
    "log10": (lambda x, u: mpmath.log10(x)),
    "exp": (lambda x, u: mpmath.exp(x)),
    "exp10": (lambda x, u: mpmath.power(10, x)),
    "sin": (lambda x, u: trig(x, u, 0)),
    "cos": (lambda x, u: trig(x, u, 1)),
    "tan": (lambda x, u: trig(x, u, 2)),
    "asin": (lambda x, u: from_rad(mpmath.asin(x), u)),
    "acos": (lambda x, u: from_rad(mpmath.acos(x), u)),
    "atan": (lambda x, u: from_rad(mpmath.atan(x), u)),
    "sinh": (lambda x, u: mpmath.sinh(x)),
    "cosh": (lambda x, u: mpmath.cosh(x)),
    "tanh": (lambda x, u: mpmath.tanh(x)),
    "asinh": (lambda x, u: mpmath.asinh(x)),
    "acosh": (lambda x, u: mpmath.acosh(x)),
    "atanh": (lambda x, u: mpmath.atanh(x)),
    "logs": (lambda x, u: mpmath.log1p(x)),
    "log10s": (lambda x, u: mpmath.log1p(x) / mpmath.log(10)),
    "exp10s": (lambda x, u: mpmath.expm1(x * mpmath.log(10))),
}


def args_for(fn, rng):
    """About 600 arguments (with units where they matter) per function."""
    out = []
    def add(x, u="-"):
        x = R15.plus(Decimal(x))  # arguments are 15-digit stored reals
        if x != 0 and abs(x.adjusted()) > 99:
            return
        out.append((x, u))
    n = 600
    for _ in range(n):
        r = rng.random()
        if fn in ("sqrt", "ln", "log10"):
            x = abs(rand_real(rng))
            if r < 0.2:
                x = abs(rand_real(rng, -1, 0)) + 0 if r < 0.1 else 1 + abs(rand_real(rng, -15, -1))
            add(x)
        elif fn == "exp":
            add(rand_real(rng, -3, 2) if r < 0.8 else rand_real(rng, -20, -1))
        elif fn == "exp10":
            add(rand_real(rng, -3, 1) if r < 0.8 else rand_real(rng, -20, -1))
        elif fn in ("sin", "cos", "tan"):
            u = rng.choice([RAD, RAD, DEG, GRA])
            top = {RAD: 3, DEG: 4, GRA: 4}[u]
            x = rand_real(rng, -6, top) if r < 0.9 else rand_real(rng, top, top + 4)
            add(x, u)
        elif fn in ("asin", "acos"):
            x = rand_real(rng, -12, -1)
            add(x, rng.choice([RAD, DEG, GRA]))
        elif fn == "atan":
            add(rand_real(rng, -12, 12), rng.choice([RAD, DEG, GRA]))
        elif fn in ("sinh", "cosh", "tanh"):
            x = rand_real(rng, -6, 1) if r < 0.8 else rand_real(rng, -20, -7)
            if fn != "tanh" and abs(x) > 230:
                x = x / 2
            add(x)
        elif fn == "asinh":
            add(rand_real(rng, -20, 40))
        elif fn == "acosh":
            add(1 + abs(rand_real(rng, -15, 40)))
        elif fn == "atanh":
            add(rand_real(rng, -20, -1))
        elif fn in ("logs", "log10s"):
            x = rand_real(rng, -20, 1)
            if x <= -1:
                x = x / 100
            add(x)
        elif fn == "exp10s":
            add(rand_real(rng, -20, 0))
    return out


def trans_cases(rng):
    lines, skipped = [], {}
    for fn, f in FUNCS.items():
        skipped[fn] = 0
        for x, u in args_for(fn, rng):
            if fn == "acos" and abs(x) > 1 or fn == "asin" and abs(x) > 1:
                continue
            v = f(mp(x), u if u != "-" else 1)
            if v is None:
                continue
            if fn in ("exp", "exp10", "sinh", "cosh") and abs(v) > mpmath.mpf("1e120"):
                continue
            if near_boundary(v):
                skipped[fn] += 1
                continue
            lines.append("%s %s %s - %s" % (fn, u, fmt(x), ref_text(v)))
    # Powers: x^y for positive x, and negative x with integer y.
    skipped["pow"] = 0
    for _ in range(700):
        if rng.random() < 0.8:
            x = abs(rand_real(rng, -3, 3))
            y = rand_real(rng, -2, 1)
        else:
            x = rand_real(rng, -2, 2, rng.choice([1, 2, 3, 5]))
            y = Decimal(rng.randint(-30, 30))
            if y == 0:
                continue
        v = mpmath.power(mp(x), mp(y)) if x > 0 else (-1) ** int(y) * mpmath.power(-mp(x), mp(y))
        if v != 0 and abs(v) > mpmath.mpf("1e120"):
            continue
        if near_boundary(v):
            skipped["pow"] += 1
            continue
        lines.append("pow - %s %s %s" % (fmt(x), fmt(y), ref_text(v)))
    return lines, skipped


PI_KEY = Decimal("3.14159265358980")  # the stored pi


def halfpi_cases(rng):
    """Arguments at and beside the multiples of pi/2."""
    lines = []
    ks = list(range(1, 13)) + [rng.randint(13, 10 ** e) for e in (2, 3, 4, 5, 6) for _ in range(6)] + [10 ** 6]
    for k in ks:
        exact = R15.plus(Decimal(str(mpmath.nstr(k * mpmath.pi / 2, 60, min_fixed=-100, max_fixed=100))))
        stored_pi = R15.plus(EXACT.multiply(Decimal(k), PI_KEY) / 2)
        snapped = {exact, stored_pi}
        unit = Decimal(1).scaleb(exact.adjusted() - 14)
        args = set(snapped)
        for base in snapped:
            for step in (-3, -2, -1, 1, 2, 3):
                args.add(R15.plus(base + step * unit))
        for x in sorted(args):
            for sign in (1, -1):
                arg = x * sign
                for fn, which in (("sin", 0), ("cos", 1), ("tan", 2)):
                    if x in snapped:
                        q = k % 4
                        if which == 2:
                            ref = "err3" if k % 2 else "0"
                        else:
                            ref = str([[0, 1, 0, -1], [1, 0, -1, 0]][which][q])
                        if ref not in ("0", "err3") and sign < 0 and which == 0:
                            ref = str(-int(ref))
                    else:
                        v = trig(mp(arg), RAD, which)
                        if near_boundary(v):
                            continue
                        ref = ref_text(v)
                    lines.append("%s %d %s - %s" % (fn, RAD, fmt(arg), ref))
    return lines


def main():
    rng = random.Random(20261210)
    arith = arith_cases(rng)
    with open("tests/data/number_arith.txt", "w") as f:
        f.write("# add/sub/mul/div reference (tools/gen_number_oracle.py): op unit a b expected [D]\n")
        f.write("\n".join(arith) + "\n")
    trans, skipped = trans_cases(rng)
    with open("tests/data/number_trans.txt", "w") as f:
        f.write("# transcendental reference (tools/gen_number_oracle.py): op unit a b expected\n")
        f.write("# left out within 1e-21 of a rounding boundary: %s\n" %
                " ".join("%s=%d" % kv for kv in sorted(skipped.items())))
        f.write("\n".join(trans) + "\n")
    halfpi = halfpi_cases(random.Random(20261211))
    with open("tests/data/number_halfpi.txt", "w") as f:
        f.write("# sin/cos/tan at and beside multiples of pi/2 (tools/gen_number_oracle.py): op unit a b expected\n")
        f.write("\n".join(halfpi) + "\n")


if __name__ == "__main__":
    main()
