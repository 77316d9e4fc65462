#!/usr/bin/env python3
"""Reference values of the financial kernels for the tests.

tests/data/finance_ref.txt: one case per line, the kind first, then its
inputs and the expected result computed with mpmath at 30 digits (day counts
and simple interest exactly), written with 20 significant digits:

  cmpd TARGET TIMING PY CY N I PV PMT FV RESULT   TARGET n i pv pmt fv,
                                                   TIMING bgn or end
  cash CODE I FLOWS RESULT                         CODE npv nfv pbp irr,
                                                   FLOWS comma-separated
  amort CODE TIMING PY CY I PV PMT PM1 PM2 RESULT  CODE bal int prn sint sprn
  simple CODE BASIS N I PV RESULT                  CODE si sfv, BASIS 365 360
  cnvt CODE N I RESULT                             CODE eff apr
  cost CODE CST SEL MRG RESULT                     CODE cst sel mrg
  days BASIS D1 M1 Y1 D2 M2 Y2 RESULT

The input of the solved quantity is ignored (written as 0). The tests
compare within 1E-12 relative (rates within 1E-10).

Run from the repository root: /usr/bin/python3 tools/gen_finance.py
"""
import datetime
import random
from fractions import Fraction

import mpmath

mpmath.mp.dps = 30
mpf = mpmath.mpf


def fmt(x):
    return mpmath.nstr(mpf(x), 20, min_fixed=-30, max_fixed=30)


def rate(I, py, cy):
    return (1 + mpf(I) / (100 * cy)) ** (mpf(cy) / py) - 1


def newton(f, x):
    """Newton's iteration from x with mpmath's derivative, to 28 digits."""
    for _ in range(200):
        nx = x - f(x) / mpmath.diff(f, x)
        if abs(nx - x) <= abs(nx) * mpf(10) ** -28 + mpf(10) ** -40:
            return nx
        x = nx
    raise ValueError("no convergence")


def tvm_f(n, i, pv, pmt, fv, bgn):
    s = 1 if bgn else 0
    if i == 0:
        return pv + pmt * n + fv
    u = (1 + i) ** (-n)
    return pv + pmt * (1 + i * s) * (1 - u) / i + fv * u


def tvm_solve(target, bgn, py, cy, n, I, pv, pmt, fv):
    n, I, pv, pmt, fv = map(mpf, (n, I, pv, pmt, fv))
    s = 1 if bgn else 0
    i = rate(I, py, cy)
    if target == "n":
        if i == 0:
            return -(pv + fv) / pmt
        p = pmt * (1 + i * s)
        return mpmath.log((p - fv * i) / (p + pv * i)) / mpmath.log(1 + i)
    if target in ("pv", "pmt", "fv") and i == 0:
        return {"pv": -(pmt * n + fv), "pmt": -(pv + fv) / n, "fv": -(pmt * n + pv)}[target]
    if target in ("pv", "pmt", "fv"):
        u = (1 + i) ** (-n)
        annuity = (1 + i * s) * (1 - u) / i
    if target == "pv":
        return -(pmt * annuity + fv * u)
    if target == "pmt":
        return -(pv + fv * u) / annuity
    if target == "fv":
        return -(pv + pmt * annuity) / u
    # The rate: the root the solver's Newton iteration reaches from 0.
    r = newton(lambda x: tvm_f(n, x, pv, pmt, fv, bgn), mpf("0.001"))
    return 100 * cy * ((1 + r) ** (mpf(py) / cy) - 1)


def cash(code, I, flows):
    flows = [mpf(f) for f in flows]
    i = mpf(I) / 100

    def npv(r):
        return sum(f / (1 + r) ** k for k, f in enumerate(flows))

    if code == "npv":
        return npv(i)
    if code == "nfv":
        return npv(i) * (1 + i) ** (len(flows) - 1)
    if code == "pbp":
        run = mpf(0)
        for k, f in enumerate(flows):
            prev = run
            run += f / (1 + i) ** k
            if run >= 0:
                r = k if run == 0 else k - run / (abs(prev) + run)
                return max(r, 0)
        raise ValueError("no payback")
    # IRR: Newton from 0, as the solver does.
    r = mpf(0)
    for _ in range(200):
        f = npv(r)
        d = sum(-k * fl / (1 + r) ** (k + 1) for k, fl in enumerate(flows))
        nr = r - f / d
        if abs(nr - r) < mpf(10) ** -28:
            r = nr
            break
        r = nr
    return 100 * r


def amort(code, bgn, py, cy, I, pv, pmt, pm1, pm2):
    i = rate(I, py, cy)
    bal = mpf(pv)
    pmt = mpf(pmt)
    sign = -1 if pmt < 0 else 1
    sint = sprn = mpf(0)
    intr = prn = mpf(0)
    last = pm1 if code in ("int", "prn") else pm2
    for k in range(1, last + 1):
        if k == 1 and bgn:
            t, p = mpf(0), pmt
        else:
            t = sign * abs(bal * i)
            p = pmt + bal * i
        if k >= pm1:
            sint += t
            sprn += p
        intr, prn = t, p
        bal += p
    return {"bal": bal, "int": intr, "prn": prn, "sint": sint, "sprn": sprn}[code]


def simple(code, basis, n, I, pv):
    si = -Fraction(n) / basis * Fraction(I) / 100 * Fraction(pv)
    return si if code == "si" else si - Fraction(pv)


def frac_text(q):
    return fmt(mpf(q.numerator) / q.denominator)


def cnvt(code, n, I):
    n, I = mpf(n), mpf(I)
    if code == "eff":
        return 100 * ((1 + I / (100 * n)) ** n - 1)
    return 100 * n * ((1 + I / 100) ** (1 / n) - 1)


def cost(code, cst, sel, mrg):
    cst, sel, mrg = map(mpf, (cst, sel, mrg))
    if code == "cst":
        return sel * (1 - mrg / 100)
    if code == "sel":
        return cst / (1 - mrg / 100)
    return (1 - cst / sel) * 100


def days(basis, d1, m1, y1, d2, m2, y2):
    if basis == 365:
        return (datetime.date(y2, m2, d2) - datetime.date(y1, m1, d1)).days
    last_feb = 29 if y1 % 4 == 0 else 28
    if d1 > 30 or (m1 == 2 and d1 == last_feb):
        d1 = 30
    if d2 == 31 and d1 == 30:
        d2 = 30
    return 360 * (y2 - y1) + 30 * (m2 - m1) + d2 - d1


def main():
    rng = random.Random(20261211)
    out = ["# financial kernels (tools/gen_finance.py)"]
    base = dict(n="60", I="7.5", pv="25000", pmt="-500", fv="-5000")
    for timing, py, cy in (("end", 12, 12), ("bgn", 12, 12), ("end", 12, 4)):
        for target in ("n", "i", "pv", "pmt", "fv"):
            v = dict(base)
            if target == "i":
                v["I"] = "0"
            else:
                v[target] = "0"
            r = tvm_solve(target, timing == "bgn", py, cy, **{k: base[k] for k in base})
            out.append("cmpd %s %s %d %d %s %s %s %s %s %s" % (target, timing, py, cy, v["n"], v["I"], v["pv"],
                                                               v["pmt"], v["fv"], fmt(r)))
    fixed = [
        ("fv", "end", 1, 1, "10", "5", "-1000", "0", "0"),
        ("pv", "end", 12, 12, "360", "1e-9", "0", "-1000", "0"),
        ("fv", "end", 12, 12, "60", "-0.005", "25000", "-500", "0"),
        ("i", "end", 12, 12, "480", "0", "300000", "-1800", "0"),
        ("n", "bgn", 1, 1, "0", "4.25", "-2000", "150", "3000"),
        ("pmt", "bgn", 4, 12, "40", "6", "-10000", "0", "25000"),
    ]
    for target, timing, py, cy, n, I, pv, pmt, fv in fixed:
        r = tvm_solve(target, timing == "bgn", py, cy, n, I, pv, pmt, fv)
        out.append("cmpd %s %s %d %d %s %s %s %s %s %s" % (target, timing, py, cy, n, I, pv, pmt, fv, fmt(r)))
    # Loans and savings plans of every timing and period count.
    for _ in range(40):
        py = rng.choice([1, 2, 4, 12, 52, 365])
        cy = rng.choice([1, 2, 4, 12, 365, py, py])
        timing = rng.choice(["end", "bgn"])
        n = rng.randint(2, min(480, 30 * py))
        I = "%.3f" % rng.uniform(0.5, 25)
        pv = "%d" % rng.randint(1000, 500000)
        i = rate(I, py, cy)
        pmt = tvm_solve("pmt", timing == "bgn", py, cy, n, I, pv, 0, 0)
        pmt = "%.2f" % (pmt * mpf(rng.uniform(0.6, 0.98)))
        fv = "%.2f" % tvm_solve("fv", timing == "bgn", py, cy, n, I, pv, pmt, 0)
        target = rng.choice(["n", "i", "pv", "pmt", "fv"])
        v = dict(n=str(n), I=I, pv=pv, pmt=pmt, fv=fv)
        r = tvm_solve(target, timing == "bgn", py, cy, **v)
        if target == "i":
            v["I"] = "0"
        else:
            v[target] = "0"
        out.append("cmpd %s %s %d %d %s %s %s %s %s %s" % (target, timing, py, cy, v["n"], v["I"], v["pv"],
                                                           v["pmt"], v["fv"], fmt(r)))

    flows_a = ["-1000", "500", "500", "500"]
    flows_b = ["2000", "-500", "-500"]
    flows_c = ["-10000"] + [str(300 + 10 * k) for k in range(1, 50)]
    for I, flows, codes in (("10", flows_a, ("npv", "nfv", "pbp", "irr")), ("7", flows_b, ("npv", "nfv", "pbp", "irr")),
                            ("0", ["-100", "230", "-132"], ("irr",)), ("5", flows_c, ("npv", "irr")),
                            ("3.5", ["-5000", "0", "1200", "1800", "2500", "900"], ("npv", "nfv", "pbp", "irr"))):
        for code in codes:
            out.append("cash %s %s %s %s" % (code, I, ",".join(flows), fmt(cash(code, I, flows))))

    for timing in ("end", "bgn"):
        for code in ("bal", "int", "prn", "sint", "sprn"):
            r = amort(code, timing == "bgn", 12, 12, "6", "200000", "-1199.10", 13, 24)
            out.append("amort %s %s 12 12 6 200000 -1199.10 13 24 %s" % (code, timing, fmt(r)))
    out.append("amort bal end 12 12 6 200000 -1199.10 1 360 %s" %
               fmt(amort("bal", False, 12, 12, "6", "200000", "-1199.10", 1, 360)))
    for code in ("int", "prn", "bal"):
        out.append("amort %s end 12 12 12 1000 -100 1 1 %s" % (code, fmt(amort(code, False, 12, 12, "12", "1000",
                                                                                 "-100", 1, 1))))
    out.append("amort sint end 4 12 9.5 -15000 420 5 37 %s" %
               fmt(amort("sint", False, 4, 12, "9.5", "-15000", "420", 5, 37)))

    for code in ("si", "sfv"):
        for basis in (365, 360):
            out.append("simple %s %d 90 7 1000 %s" % (code, basis, frac_text(simple(code, basis, 90, "7", 1000))))
    out.append("simple si 365 1000 3.25 -2500 %s" % frac_text(simple("si", 365, 1000, "3.25", -2500)))

    for code, n, I in (("eff", "12", "12"), ("apr", "12", "12.682503013197"), ("apr", "12", "12"), ("eff", "1", "9"),
                       ("eff", "365", "4.5"), ("apr", "4", "0.001")):
        out.append("cnvt %s %s %s %s" % (code, n, I, fmt(cnvt(code, n, I))))

    for code, c, s, m in (("cst", "0", "89.99", "37.5"), ("sel", "40", "0", "-10"), ("mrg", "56.24375", "89.99", "0"),
                          ("cst", "0", "200", "25"), ("sel", "150", "0", "25"), ("mrg", "150", "200", "0")):
        out.append("cost %s %s %s %s %s" % (code, c, s, m, fmt(cost(code, c, s, m))))

    pairs = [((1, 1, 1997), (1, 1, 1998)), ((1, 3, 1999), (1, 3, 2000)), ((28, 2, 2000), (29, 2, 2000)),
             ((28, 2, 2000), (1, 3, 2000)), ((31, 1, 1901), (31, 12, 2099)), ((28, 2, 1999), (31, 3, 1999)),
             ((31, 12, 2099), (1, 1, 1901))]
    for _ in range(20):
        a = datetime.date(1901, 1, 1) + datetime.timedelta(days=rng.randint(0, 72683))
        b = datetime.date(1901, 1, 1) + datetime.timedelta(days=rng.randint(0, 72683))
        pairs.append(((a.day, a.month, a.year), (b.day, b.month, b.year)))
    for (d1, m1, y1), (d2, m2, y2) in pairs:
        for basis in (365, 360):
            out.append("days %d %d %d %d %d %d %d %d" % (basis, d1, m1, y1, d2, m2, y2,
                                                           days(basis, d1, m1, y1, d2, m2, y2)))
    with open("tests/data/finance_ref.txt", "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
