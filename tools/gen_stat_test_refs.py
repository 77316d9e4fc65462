#!/usr/bin/python3
"""Reference values for the statistics tests, intervals, ANOVA and F critical
values (mpmath, 30 digits), from the textbook formulas.

Writes tests/data/stat_test_refs.txt: one `key value` a line, the value to
17 significant digits.
Run: /usr/bin/python3 tools/gen_stat_test_refs.py > tests/data/stat_test_refs.txt
"""
import mpmath as mp

mp.mp.dps = 30
M = mp.mpf

L1 = [M(v) for v in "5.1 4.9 5.6 5.8 6 5.2 4.7 5.5".split()]
L2 = [M(v) for v in "4.8 5 4.6 5.1 4.4 4.9".split()]
OUT = []


def put(key, value):
    OUT.append("%s %s" % (key, mp.nstr(value, 17, min_fixed=-mp.inf, max_fixed=mp.inf)))


def mean(v):
    return sum(v) / len(v)


def sd(v):
    m = mean(v)
    return mp.sqrt(sum((x - m) ** 2 for x in v) / (len(v) - 1))


def t_upper(t, df):  # P(T > t)
    t, df = M(t), M(df)
    q = mp.betainc(df / 2, M(1) / 2, 0, df / (df + t * t), regularized=True) / 2
    return q if t >= 0 else 1 - q


def f_upper(f, d1, d2):  # P(F > f)
    return mp.betainc(M(d2) / 2, M(d1) / 2, 0, d2 / (d2 + d1 * f), regularized=True)


def chi_upper(x, k):
    return mp.gammainc(M(k) / 2, x / 2, mp.inf, regularized=True)


def falling_root(g, lo, hi):  # g falls from above 0 to below: bisection
    for _ in range(200):
        mid = (lo + hi) / 2
        if g(mid) > 0:
            lo = mid
        else:
            hi = mid
    return (lo + hi) / 2


def t_quant(p, df):  # t with P(T > t) = p
    return falling_root(lambda t: t_upper(t, df) - p, M(0), M(10) ** 4)


def f_quant(p, d1, d2):  # F with P(F > F) = p, bisected in ln F
    return mp.exp(falling_root(lambda u: f_upper(mp.exp(u), d1, d2) - p, M(-40), M(40)))


# 1-Sample Z, mu0 5, sigma 0.5, two-sided.
n1, n2, m1, m2, s1, s2 = len(L1), len(L2), mean(L1), mean(L2), sd(L1), sd(L2)
z = (m1 - 5) / (M("0.5") / mp.sqrt(n1))
put("onez.z", z)
put("onez.p", 2 * (1 - mp.ncdf(abs(z))))
put("onez.z9p", 2 * (1 - mp.ncdf(9)))
put("list1.mean", m1)
put("list1.sx", s1)
# 1-Sample t, mu0 5, upper tail.
t = (m1 - 5) / (s1 / mp.sqrt(n1))
put("onet.t", t)
put("onet.p", t_upper(t, n1 - 1))
# 2-Sample Z, sigma 0.5 and 0.4, two-sided.
z = (m1 - m2) / mp.sqrt(M("0.25") / n1 + M("0.16") / n2)
put("twoz.z", z)
put("twoz.p", 2 * (1 - mp.ncdf(abs(z))))
# 2-Sample t pooled (two-sided) and Welch (upper tail).
df = n1 + n2 - 2
sp = mp.sqrt(((n1 - 1) * s1 ** 2 + (n2 - 1) * s2 ** 2) / df)
t = (m1 - m2) / (sp * mp.sqrt(M(1) / n1 + M(1) / n2))
put("twotp.t", t)
put("twotp.p", 2 * t_upper(abs(t), df))
put("twotp.sp", sp)
a, b = s1 ** 2 / n1, s2 ** 2 / n2
t = (m1 - m2) / mp.sqrt(a + b)
dfw = (a + b) ** 2 / (a ** 2 / (n1 - 1) + b ** 2 / (n2 - 1))
put("twotw.t", t)
put("twotw.df", dfw)
put("twotw.p", t_upper(t, dfw))
# 2-Sample F, two-sided.
f = s1 ** 2 / s2 ** 2
put("twof.f", f)
up = f_upper(f, n1 - 1, n2 - 1)
put("twof.p", min(1, 2 * min(up, 1 - up)))
# 1-Prop (45 of 80, p0 0.5, two-sided) and 2-Prop (45/80 > 30/75).
ph = M(45) / 80
z = (ph - M("0.5")) / mp.sqrt(M("0.25") / 80)
put("oneprop.z", z)
put("oneprop.p", 2 * (1 - mp.ncdf(abs(z))))
p1, p2, pp = M(45) / 80, M(30) / 75, M(75) / 155
z = (p1 - p2) / mp.sqrt(pp * (1 - pp) * (M(1) / 80 + M(1) / 75))
put("twoprop.z", z)
put("twoprop.p", 1 - mp.ncdf(z))
# LinearReg t test, two-sided.
X = [M(i) for i in range(1, 9)]
Y = [M(v) for v in "2.1 3.9 6.2 7.8 10.1 12.2 13.8 16.1".split()]
xm, ym, n = mean(X), mean(Y), len(X)
sxx = sum((x - xm) ** 2 for x in X)
syy = sum((y - ym) ** 2 for y in Y)
sxy = sum((x - xm) * (y - ym) for x, y in zip(X, Y))
bb = sxy / sxx
aa = ym - bb * xm
r = sxy / mp.sqrt(sxx * syy)
t = r * mp.sqrt(n - 2) / mp.sqrt(1 - r * r)
put("linreg.t", t)
put("linreg.p", 2 * t_upper(abs(t), n - 2))
put("linreg.s", mp.sqrt((syy - bb * sxy) / (n - 2)))
put("linreg.a", aa)
put("linreg.b", bb)
put("linreg.r", r)
put("linreg.resid1", Y[0] - (aa + bb * X[0]))
put("linreg.resid8", Y[7] - (aa + bb * X[7]))
# Chi-square test of [[20,15,25],[30,25,10]].
O = [[20, 15, 25], [30, 25, 10]]
rt = [sum(row) for row in O]
ct = [sum(O[i][j] for i in range(2)) for j in range(3)]
T = sum(rt)
chi = M(0)
for i in range(2):
    for j in range(3):
        e = M(rt[i]) * ct[j] / T
        put("chi.e%d%d" % (i + 1, j + 1), e)
        chi += (O[i][j] - e) ** 2 / e
put("chi.x2", chi)
put("chi.p", chi_upper(chi, 2))


# One-way ANOVA.
def anova1(A, Y):
    levels = []
    for x in A:
        if x not in levels:
            levels.append(x)
    gm = mean(Y)
    sse = ssa = M(0)
    for lv in levels:
        ys = [y for x, y in zip(A, Y) if x == lv]
        lm = mean(ys)
        sse += sum((y - lm) ** 2 for y in ys)
        ssa += len(ys) * (lm - gm) ** 2
    k, n = len(levels), len(Y)
    f = (ssa / (k - 1)) / (sse / (n - k))
    return ssa, sse, f, f_upper(f, k - 1, n - k)


ssa, sse, f, p = anova1([1, 1, 1, 2, 2, 2, 3, 3, 3, 3], [M(v) for v in [4, 5, 6, 7, 8, 6, 9, 10, 11, 12]])
put("anova1.ssa", ssa)
put("anova1.sse", sse)
put("anova1.f", f)
put("anova1.p", p)


# Two-way ANOVA by nested effect-coded least-squares models.
def codes(lev, k, levels):
    return -1 if lev == levels else (1 if lev == k else 0)


def rss(rows, Y):
    X = mp.matrix(rows)
    y = mp.matrix(Y)
    beta = mp.lu_solve(X.T * X, X.T * y)
    res = y - X * beta
    return sum(res[i] ** 2 for i in range(len(Y)))


def anova2(A, B, Y):
    la = sorted(set(A))
    lb = sorted(set(B))
    a, b = len(la), len(lb)
    ia = [la.index(x) + 1 for x in A]
    ib = [lb.index(x) + 1 for x in B]

    def row(i, blocks):
        r = []
        for blk in blocks:
            if blk == "1":
                r.append(1)
            if blk == "A":
                r += [codes(ia[i], k, a) for k in range(1, a)]
            if blk == "B":
                r += [codes(ib[i], k, b) for k in range(1, b)]
            if blk == "AB":
                r += [codes(ia[i], k, a) * codes(ib[i], l, b) for l in range(1, b) for k in range(1, a)]
        return r

    n = len(Y)

    def fit(blocks):
        return rss([row(i, blocks) for i in range(n)], Y)

    r1 = fit(["1", "A", "B"])
    single = n == a * b
    if single:
        err, dfe = r1, (a - 1) * (b - 1)
        ssa, ssb = fit(["1", "B"]) - r1, fit(["1", "A"]) - r1
        ssab = None
    else:
        r4 = fit(["1", "AB", "A", "B"])
        err, dfe = r4, n - a * b
        ssa = fit(["1", "AB", "B"]) - r4
        ssb = fit(["1", "AB", "A"]) - r4
        ssab = r1 - r4
    mse = err / dfe
    out = {"err": err, "dfe": dfe}
    for name, ss, df in [("a", ssa, a - 1), ("b", ssb, b - 1), ("ab", ssab, (a - 1) * (b - 1))]:
        if ss is None:
            continue
        f = (ss / df) / mse
        out[name + "ss"] = ss
        out[name + "f"] = f
        out[name + "p"] = f_upper(f, df, dfe)
    return out


A = [1] * 6 + [2] * 6
B = [1, 1, 2, 2, 3, 3] * 2
Y = [M(v) for v in [12, 14, 15, 17, 11, 10, 16, 18, 20, 19, 13, 15]]
for key, v in anova2(A, B, Y).items():
    put("anova2." + key, v)
for key, v in anova2(A + [1], B + [1], Y + [M(13)]).items():
    put("anova2u." + key, v)
for key, v in anova2([1, 1, 2, 2, 3, 3], [1, 2] * 3, [M(v) for v in [5, 7, 6, 9, 8, 12]]).items():
    put("anova2s." + key, v)

# Intervals.
zc = mp.sqrt(2) * mp.erfinv(M("0.95"))
d = zc * M("0.5") / mp.sqrt(n1)
put("zint1.lo", m1 - d)
put("zint1.up", m1 + d)
d = zc * mp.sqrt(M("0.25") / n1 + M("0.16") / n2)
put("zint2.lo", m1 - m2 - d)
put("zint2.up", m1 - m2 + d)
ph = M(45) / 80
d = zc * mp.sqrt(ph * (1 - ph) / 80)
put("pint1.lo", ph - d)
put("pint1.up", ph + d)
d = zc * mp.sqrt(p1 * (1 - p1) / 80 + p2 * (1 - p2) / 75)
put("pint2.lo", p1 - p2 - d)
put("pint2.up", p1 - p2 + d)
tc = t_quant(M("0.025"), n1 - 1)
d = tc * s1 / mp.sqrt(n1)
put("tint1.lo", m1 - d)
put("tint1.up", m1 + d)
tc = t_quant(M("0.005"), dfw)
d = tc * mp.sqrt(a + b)
put("tint2w.lo", m1 - m2 - d)
put("tint2w.up", m1 - m2 + d)
tc = t_quant(M("0.025"), df)
d = tc * sp * mp.sqrt(M(1) / n1 + M(1) / n2)
put("tint2p.lo", m1 - m2 - d)
put("tint2p.up", m1 - m2 + d)

# F critical values: exact quantiles for small degrees of freedom, and the
# cube-root normal approximation (the same formulas) for large ones.
put("fcrit.11.16.lo", f_quant(M("0.975"), 10, 15))
put("fcrit.11.16.up", f_quant(M("0.025"), 10, 15))
put("fcrit.2.2.lo", f_quant(M("0.975"), 1, 1))
put("fcrit.2.2.up", f_quant(M("0.025"), 1, 1))
C = [M(c) for c in ["6.936233982e-13", "3.657763036e-11", "-3.231081277e-9", "8.360937017e-8", "-1.04527497e-6",
                    "5.824238515e-6", "6.841218299e-6", "-2.250947176e-4", "-8.364353589e-4", "0.03706987906",
                    "1.570796288"]]


def zapprox(p):
    y = -mp.log(4 * p * (1 - p))
    w = y * C[0]
    for k in range(1, 11):
        w = (w + C[k]) * y
    z = mp.sqrt(w)
    return -z if p > M("0.5") else z


def paulson(p, n, d):
    a, c = M(2) / 9 / n, M(2) / 9 / d
    b, e = 1 - a, 1 - c
    z = zapprox(p)
    D = a * e * e - a * c * z * z + b * b * c
    return ((b * e + z * mp.sqrt(D)) / (e * e - c * z * z)) ** 3


put("fcrit.40.35.lo", paulson(M("0.975"), 39, 34))
put("fcrit.40.35.up", paulson(M("0.025"), 39, 34))

print("\n".join(OUT))
