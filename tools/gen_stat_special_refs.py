#!/usr/bin/python3
"""Reference values for the statistical special functions (mpmath, 40 digits).

Writes tests/data/stat_special_refs.txt: one case a line,
`name arg... value`, the value to 17 significant digits.
Run: /usr/bin/python3 tools/gen_stat_special_refs.py > tests/data/stat_special_refs.txt
"""
import mpmath as mp

mp.mp.dps = 40


def t_upper(t, n):
    t, n = mp.mpf(t), mp.mpf(n)
    if n >= 10 ** 5:  # the beta series converges too slowly here: integrate the density
        c = mp.loggamma((n + 1) / 2) - mp.loggamma(n / 2) - mp.log(n * mp.pi) / 2
        return mp.quad(lambda u: mp.exp(c - (n + 1) / 2 * mp.log(1 + u * u / n)), [abs(t), abs(t) + 10, mp.inf])
    x = n / (n + t * t)
    return mp.betainc(n / 2, mp.mpf(1) / 2, 0, x, regularized=True) / 2


def t_logkernel(t, n):
    t, n = mp.mpf(t), mp.mpf(n)
    return -(n + 1) / 2 * mp.log(1 + t * t / n) - mp.log(n) / 2


def t_inv_upper(p, n):
    p, n = mp.mpf(p), mp.mpf(n)
    q = min(p, 1 - p)
    lo, hi = mp.mpf(0), mp.mpf(10) ** 4
    for _ in range(200):  # the tail falls as t grows: plain bisection
        mid = (lo + hi) / 2
        if t_upper(mid, n) > q:
            lo = mid
        else:
            hi = mid
    t = (lo + hi) / 2
    return t if p <= mp.mpf(1) / 2 else -t


CASES = []


def add(name, args, value):
    CASES.append((name, args, value))


for x in ["0", "0.1", "-0.3", "0.49", "0.5", "-0.75", "1", "2.5", "-3.9", "4", "6.2", "-10", "15.9"]:
    add("erf", [x], mp.erf(mp.mpf(x)))
    add("erfc", [x], mp.erfc(mp.mpf(x)))
for y in ["0", "0.2", "-0.55", "0.69", "0.7", "-0.9", "0.999", "0.999999"]:
    add("erfinv", [y], mp.erfinv(mp.mpf(y)))
for x in ["0.1", "0.5", "1", "1.5", "2", "3.7", "10", "55.5", "171", "1000", "1e5"]:
    add("lngamma", [x], mp.loggamma(mp.mpf(x)))
for a, x in [("0.5", "0.2"), ("1", "1"), ("2.5", "1"), ("3", "7"), ("10", "4"), ("10", "15"),
             ("0.5", "20"), ("50", "45"), ("1.5", "30")]:
    A, X = mp.mpf(a), mp.mpf(x)
    add("gammap", [a, x], mp.gammainc(A, 0, X, regularized=True))
    add("gammaq", [a, x], mp.gammainc(A, X, mp.inf, regularized=True))
for a, b in [("0.5", "0.5"), ("0.5", "3"), ("7", "0.5"), ("2", "3"), ("1.5", "4.25"), ("30", "40")]:
    add("lnbeta", [a, b], mp.log(mp.beta(mp.mpf(a), mp.mpf(b))))
for x in ["1e-16", "0.25", "1", "7.5", "15.5", "16", "100", "1e6"]:
    add("lnbetahalf", [x], mp.log(mp.beta(mp.mpf(1) / 2, mp.mpf(x))))
for a, b, x in [("2", "3", "0.4"), ("0.5", "0.5", "0.1"), ("5", "1.5", "0.9"), ("10", "10", "0.5"),
                ("1", "1", "0.3"), ("30", "2", "0.95"), ("2.5", "7", "0.05"), ("100", "120", "0.45")]:
    X = mp.mpf(x)
    y = mp.nstr(1 - X, 20)
    add("betainc", [a, b, x, y], mp.betainc(mp.mpf(a), mp.mpf(b), 0, X, regularized=True))
for t, n in [("0", "5"), ("0.01", "3"), ("0.5", "10"), ("1.7", "4"), ("-2", "2.5"), ("25", "3"), ("3", "600")]:
    add("tlogkernel", [t, n], t_logkernel(t, n))
for t, n in [("0", "1"), ("1", "1"), ("-2.5", "1"), ("1", "2"), ("2.1", "3"), ("1.3", "4"), ("2.2", "15"),
             ("0.7", "99"), ("3", "499"), ("1.5", "2.5"), ("2.5", "0.5"), ("1.96", "500"), ("2", "1e5"),
             ("1.96", "3e6"), ("10", "5")]:
    add("tupper", [t, n], t_upper(t, n))
for p, n in [("0.25", "1"), ("0.05", "1"), ("0.025", "2"), ("0.1", "3"), ("0.025", "5"), ("0.005", "9"),
             ("0.05", "10"), ("0.025", "30"), ("0.4", "7"), ("0.001", "4"), ("0.05", "2.5"), ("0.025", "5e6"),
             ("0.75", "6")]:
    add("tinvupper", [p, n], t_inv_upper(p, n))

# Distribution kernels: name, arguments in the order of the kernel record.
M = mp.mpf


def ncdf(x, s, m):
    return mp.ncdf(M(x), mu=M(m), sigma=M(s))


def t_cdf(x, n):
    x = M(x)
    return 1 - t_upper(x, n) if x >= 0 else t_upper(x, n)


def chi_cdf(x, k):
    return mp.gammainc(M(k) / 2, 0, M(x) / 2, regularized=True) if M(x) > 0 else M(0)


def f_cdf(x, n, d):
    n, d, x = M(n), M(d), M(x)
    return mp.betainc(n / 2, d / 2, 0, n * x / (n * x + d), regularized=True) if x > 0 else M(0)


for x, sg, m in [("0", "1", "0"), ("1.5", "2", "-0.5"), ("-3", "0.25", "-2"), ("40", "3", "1")]:
    add("normpd", [x, sg, m], mp.npdf(M(x), mu=M(m), sigma=M(sg)))
for lo, up, sg, m in [("-1", "1", "1", "0"), ("-1e99", "0.3", "1", "0"), ("0.2", "0.4", "1", "0"),
                      ("-30", "-2", "1", "0"), ("1.5", "9", "2", "1"), ("2", "-1", "1", "0"),
                      ("-0.1", "40", "1", "0"), ("0.8", "1e99", "1", "0"), ("50", "70", "10", "60")]:
    add("normcd", [lo, up, sg, m], ncdf(up, sg, m) - ncdf(lo, sg, m))
for tail, area, sg, m in [("-1", "0.975", "1", "0"), ("1", "0.05", "2", "10"), ("0", "0.95", "1", "0"),
                          ("-1", "0.3", "0.5", "-1")]:
    A, S, Mu = M(area), M(sg), M(m)
    v = A if tail == "0" else 2 * A - 1
    d = mp.sqrt(2) * S * mp.erfinv(v)
    add("invnorm", [tail, area, sg, m], Mu - d if tail == "1" else Mu + d)
for x, n in [("0", "1"), ("1.2", "3"), ("-2", "7.5"), ("4", "30"), ("0.5", "700")]:
    X, N = M(x), M(n)
    add("tpd", [x, n], mp.exp(t_logkernel(X, N) - mp.log(mp.beta(M(1) / 2, N / 2))))
for lo, up, n in [("-2", "2", "5"), ("0.5", "3", "4"), ("-3", "1", "10"), ("-4", "-0.5", "2"),
                  ("2", "-1", "6"), ("-1e99", "1.8", "12")]:
    add("tcd", [lo, up, n], t_cdf(up, n) - t_cdf(lo, n))
for area, n in [("0.95", "5"), ("0.5", "1"), ("0.99", "20"), ("0.9", "2.5")]:
    add("invt", [area, n], t_inv_upper((1 - M(area)) / 2, n))
for x, k in [("0.5", "1"), ("2", "2"), ("7.3", "5"), ("40", "30"), ("150", "120")]:
    X, K = M(x), M(k)
    add("chipd", [x, k], X ** (K / 2 - 1) * mp.exp(-X / 2) / (2 ** (K / 2) * mp.gamma(K / 2)))
for lo, up, k in [("0", "3.84", "1"), ("1", "5", "3"), ("-2", "11", "10"), ("20", "60", "40")]:
    add("chicd", [lo, up, k], chi_cdf(up, k) - chi_cdf(lo, k))
for x, n, d in [("1", "5", "10"), ("0.3", "2", "7"), ("3.2", "12", "4"), ("0.9", "1", "1")]:
    X, N, D = M(x), M(n), M(d)
    add("fpd", [x, n, d], mp.sqrt((N * X) ** N * D ** D / (N * X + D) ** (N + D)) / (X * mp.beta(N / 2, D / 2)))
for lo, up, n, d in [("0", "2.5", "5", "10"), ("0.5", "3", "3", "20"), ("1", "100", "2", "2"),
                     ("4", "1.5", "8", "6")]:
    add("fcd", [lo, up, n, d], f_cdf(up, n, d) - f_cdf(lo, n, d))
for x, n, p in [("3", "10", "0.4"), ("0", "5", "0.01"), ("50", "100", "0.5"), ("7", "20", "0.05"),
                ("998", "1000", "0.997")]:
    X, N, P = M(x), M(n), M(p)
    add("binompd", [x, n, p], mp.binomial(N, X) * P ** X * (1 - P) ** (N - X))
    add("binomcd", [x, n, p], mp.fsum(mp.binomial(N, k) * P ** k * (1 - P) ** (N - k) for k in range(int(x) + 1)))
for x, m in [("0", "2.5"), ("4", "3"), ("20", "15.5"), ("100", "80")]:
    X, Mu = M(x), M(m)
    add("poissonpd", [x, m], mp.exp(X * mp.log(Mu) - Mu - mp.loggamma(X + 1)))
    add("poissoncd", [x, m], mp.gammainc(X + 1, Mu, mp.inf, regularized=True))
for x, p in [("1", "0.3"), ("4", "0.25"), ("30", "0.05"), ("12", "0.7")]:
    X, P = M(x), M(p)
    add("geopd", [x, p], P * (1 - P) ** (X - 1))
    add("geocd", [x, p], 1 - (1 - P) ** X)

for name, args, value in CASES:
    print(name, " ".join(args), mp.nstr(value, 17, min_fixed=-1, max_fixed=-1))
