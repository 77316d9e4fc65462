#!/usr/bin/python3
"""Reference coefficients of the regression fits, computed exactly with
fractions (least squares, medians) and with mpmath at 50 digits (logarithms,
exponentials, square roots). Writes tests/data/reg_fit_refs.txt:

  kind ; x ... ; y ... ; f ... | - ; coefficient ... [| MSe r² | -]

MSe is the weighted sum of squared residuals over N − (number of
coefficients); the exponential and power models take their residuals in the
logarithmic space. r² = 1 − SSE/SST is given for the polynomials only.
"""
import math
import random
from fractions import Fraction as F
import mpmath

mpmath.mp.dps = 50
rng = random.Random(20261211)


def dec(v, digits=4):
    return f"{v:.{digits}f}".rstrip("0").rstrip(".") or "0"


def fmt(v):
    return mpmath.nstr(mp(v), 20)


def mp(v):
    return mpmath.mpf(v.numerator) / v.denominator if isinstance(v, F) else mpmath.mpf(v)


def solve(a, b):
    n = len(b)
    m = [row[:] + [b[i]] for i, row in enumerate(a)]
    for c in range(n):
        p = next(r for r in range(c, n) if m[r][c] != 0)
        m[c], m[p] = m[p], m[c]
        for r in range(n):
            if r != c and m[r][c] != 0:
                k = m[r][c] / m[c][c]
                m[r] = [u - k * v for u, v in zip(m[r], m[c])]
    return [m[i][n] / m[i][i] for i in range(n)]


def poly(xs, ys, fs, deg):
    """Weighted least squares: coefficients from the highest power down."""
    m = deg + 1
    a = [[sum(f * x ** (2 * deg - r - c) for x, f in zip(xs, fs)) for c in range(m)] for r in range(m)]
    b = [sum(f * y * x ** (deg - r) for x, y, f in zip(xs, ys, fs)) for r in range(m)]
    return solve(a, b)


def line(xs, ys, fs):
    n = sum(fs)
    sx = sum(f * x for x, f in zip(xs, fs))
    sy = sum(f * y for y, f in zip(ys, fs))
    sxx = sum(f * x * x for x, f in zip(xs, fs))
    syy = sum(f * y * y for y, f in zip(ys, fs))
    sxy = sum(f * x * y for x, y, f in zip(xs, ys, fs))
    qxy, qxx, qyy = n * sxy - sx * sy, n * sxx - sx * sx, n * syy - sy * sy
    a = qxy / qxx
    b = (sy - a * sx) / n
    r = mp(qxy) / mpmath.sqrt(mp(qxx * qyy))
    return [a, b, r, qxy * qxy / (qxx * qyy)]


def median(v):
    v = sorted(v)
    n = len(v)
    return v[n // 2] if n % 2 else (v[n // 2 - 1] + v[n // 2]) / 2


def medmed(xs, ys):
    """Distinct x values: outer groups of s points, the middle the rest."""
    pts = sorted(zip(xs, ys))
    n = len(pts)
    k, r = divmod(n, 3)
    s = k + 1 if r == 2 else k
    groups = [pts[:s], pts[s:n - s], pts[n - s:]]
    mx = [median([p[0] for p in g]) for g in groups]
    my = [median([p[1] for p in g]) for g in groups]
    a = (my[2] - my[0]) / (mx[2] - mx[0])
    b = (my[0] - a * mx[0]) * F(2, 3) + (my[1] - a * mx[1]) / 3
    return [a, b, mx[0], my[0], mx[1], my[1], mx[2], my[2]]


def measures(kind, xs, ys, ws, c):
    xs, ys, ws, c = [mp(v) for v in xs], [mp(v) for v in ys], [mp(v) for v in ws], [mp(v) for v in c]
    n = sum(ws)
    ybar = sum(w * y for w, y in zip(ws, ys)) / n
    if kind in ("quad", "cubic", "quart"):
        fit = [sum(k * x ** (len(c) - 1 - i) for i, k in enumerate(c)) for x in xs]
        used = len(c)
    else:
        used = 2
        if kind == "lin":
            fit = [c[0] * x + c[1] for x in xs]
        elif kind == "log":
            fit = [c[0] + c[1] * mpmath.log(x) for x in xs]
        elif kind == "exp":
            ys = [mpmath.log(y) for y in ys]
            fit = [mpmath.log(c[0]) + c[1] * x for x in xs]
        else:
            ys = [mpmath.log(y) for y in ys]
            fit = [mpmath.log(c[0]) + c[1] * mpmath.log(x) for x in xs]
    sse = sum(w * (y - v) ** 2 for w, y, v in zip(ws, ys, fit))
    mse = sse / (n - used) if n > used else None
    r2 = None
    if kind in ("quad", "cubic", "quart"):
        sst = sum(w * (y - ybar) ** 2 for w, y in zip(ws, ys))
        r2 = 1 - sse / sst
    return " | " + " ".join("-" if v is None else fmt(v) for v in (mse, r2))


def rand_list(n, lo, hi, digits):
    return [F(dec(rng.uniform(lo, hi), digits)) for _ in range(n)]


def row(kind, xs, ys, fs, want):
    fl = " ".join(dec(float(f), 0) for f in fs) if fs else "-"
    return f"{kind} ; {' '.join(str(float(x)) if x.denominator != 1 else str(x) for x in xs)} ; " \
           f"{' '.join(str(float(y)) if y.denominator != 1 else str(y) for y in ys)} ; {fl} ; " + " ".join(fmt(w) for w in want)


def main():
    out = []
    for case in range(12):
        n = rng.randint(3, 40)
        xs = rand_list(n, -50, 250, 3)
        slope, icpt = rng.uniform(-5, 5), rng.uniform(-100, 100)
        ys = [F(dec(float(slope * x + icpt) + rng.gauss(0, 20), 3)) for x in xs]
        fs = [F(rng.randint(1, 9)) for _ in xs] if case % 3 == 2 else None
        w = fs or [F(1)] * n
        c = line(xs, ys, w)
        out.append(row("lin", xs, ys, fs, c) + measures("lin", xs, ys, w, c[:2]))
        for deg, kind in ((2, "quad"), (3, "cubic"), (4, "quart")):
            if n > deg:
                c = poly(xs, ys, w, deg)
                out.append(row(kind, xs, ys, fs, c) + measures(kind, xs, ys, w, c))
        pos_x = [abs(x) + F(1, 10) for x in xs]
        pos_y = [abs(y) + F(1, 10) for y in ys]
        mx = [mpmath.log(mpmath.mpf(x.numerator) / x.denominator) for x in pos_x]
        my = [mpmath.log(mpmath.mpf(y.numerator) / y.denominator) for y in pos_y]
        wf = [mpmath.mpf(int(f)) for f in w]
        a, b, r, r2 = line(mx, [mpmath.mpf(y.numerator) / y.denominator for y in ys], wf)
        out.append(row("log", pos_x, ys, fs, [b, a, r, r2]) + measures("log", pos_x, ys, w, [b, a]))
        a, b, r, r2 = line([mpmath.mpf(x.numerator) / x.denominator for x in xs], my, wf)
        out.append(row("exp", xs, pos_y, fs, [mpmath.exp(b), a, r, r2]) + measures("exp", xs, pos_y, w, [mpmath.exp(b), a]))
        a, b, r, r2 = line(mx, my, wf)
        out.append(row("pow", pos_x, pos_y, fs, [mpmath.exp(b), a, r, r2]) + measures("pow", pos_x, pos_y, w, [mpmath.exp(b), a]))
        if len(set(xs)) == n:
            out.append(row("med", xs, ys, None, medmed(xs, ys)))
    out += curves()
    with open("tests/data/reg_fit_refs.txt", "w") as f:
        f.write("\n".join(out) + "\n")


def least_squares(model, xs, ys, start):
    """The minimum of the residual sum of a model by Newton's method on its
    gradient (mpmath's findroot, numeric derivatives), from a start near it."""
    xs, ys = [mp(x) for x in xs], [mp(y) for y in ys]

    def sse(*p):
        return mpmath.fsum((model(x, p) - y) ** 2 for x, y in zip(xs, ys))

    def grad(*p):
        return [mpmath.diff(lambda t, i=i: sse(*[t if j == i else p[j] for j in range(len(p))]), p[i])
                for i in range(len(p))]

    p = mpmath.findroot(grad, [mpmath.mpf(v) for v in start])
    return [p[i] for i in range(len(start))], sse(*p)


def curves():
    """Sine rows (a > 0, c in (-pi, pi], radians) and logistic rows, with
    MSe = SSE / (n - 2); data from a known curve plus small noise."""
    r = random.Random(20261212)
    rows = []
    for _ in range(4):
        n = r.randint(8, 24)
        a, b, c, d = r.uniform(1, 20), r.uniform(0.2, 1.2), r.uniform(-3, 3), r.uniform(-50, 50)
        xs = [F(i) for i in range(1, n + 1)]
        ys = [F(dec(a * math.sin(b * float(x) + c) + d + r.gauss(0, a / 20), 3)) for x in xs]
        p, e = least_squares(lambda x, q: q[0] * mpmath.sin(q[1] * x + q[2]) + q[3], xs, ys, [a, b, c, d])
        if p[0] < 0:
            p[0], p[2] = -p[0], p[2] + mpmath.pi
        p[2] = p[2] - 2 * mpmath.pi * mpmath.floor((p[2] + mpmath.pi) / (2 * mpmath.pi))
        rows.append(row("sin", xs, ys, None, p) + " | " + fmt(e / (n - 2)) + " -")
    for _ in range(4):
        n = r.randint(8, 24)
        a, b, c = r.uniform(5, 60), r.uniform(0.3, 1.2), r.uniform(20, 200)
        xs = [F(i) for i in range(1, n + 1)]
        ys = [F(dec(c / (1 + a * math.exp(-b * float(x))) + r.gauss(0, c / 200), 3)) for x in xs]
        p, e = least_squares(lambda x, q: q[2] / (1 + q[0] * mpmath.exp(-q[1] * x)), xs, ys, [a, b, c])
        rows.append(row("lgst", xs, ys, None, p) + " | " + fmt(e / (n - 2)) + " -")
    return rows


if __name__ == "__main__":
    main()
