#!/usr/bin/env python3
"""Writes tests/data/numtext_ref.txt: reference result-line texts of random
reals under Norm 1, Fix 0-9 and Sci 0-9, from an independent formatter built
on Python's decimal module (ROUND_HALF_UP).

Each line: the input text, then 21 texts (N1, F0..F9, S0..S9), tab-separated.
Texts use the readable notation of the tests: 'E' exponent marker, '~'
negative sign."""
import random
from decimal import Decimal, ROUND_HALF_UP, getcontext

getcontext().prec = 60


def digits_text(q, decimals):
    """Fixed text of a non-negative Decimal with the given decimals."""
    return format(q, f'.{decimals}f')


def strip(t):
    if '.' in t:
        t = t.rstrip('0').rstrip('.')
    return t


def exp_text(e):
    return 'E' + ('~' if e < 0 else '+') + f'{abs(e):02d}'


def round_sig(a, sig):
    """a > 0 rounded half up to sig significant digits (sig may be 0)."""
    e = a.adjusted()
    return a.quantize(Decimal(1).scaleb(e + 1 - sig), rounding=ROUND_HALF_UP)


def norm1(a):
    if a == 0:
        return '0'
    q = round_sig(a, 10)
    e = q.adjusted()
    if -2 <= e <= 9:
        return strip(digits_text(q, max(0, 9 - e)))
    m = q.scaleb(-e)
    return strip(digits_text(m, 9)) + exp_text(e)


def fix(a, n):
    if a != 0:
        e = a.adjusted()
        sig = min(e + n + 1, 10)
        q = Decimal(0) if sig < 0 else round_sig(a, sig)
    else:
        q = Decimal(0)
    if q == 0:
        return '0.' + '0' * n
    e = q.adjusted()
    if e > 9:
        return norm1(q)
    dec = n if e < 0 else min(n, 9 - e)
    t = digits_text(q, dec)
    return t if dec else t + '.'


def sci(a, n):
    sig = 10 if n == 0 else n
    if a == 0:
        return ('0.' + '0' * (sig - 1) if sig > 1 else '0') + exp_text(0)
    q = round_sig(a, sig)
    e = q.adjusted()
    return digits_text(q.scaleb(-e), sig - 1) + exp_text(e)


def texts(x):
    a = abs(x)
    neg = x < 0
    out = [norm1(a)] + [fix(a, n) for n in range(10)] + [sci(a, n) for n in range(10)]
    res = []
    for t in out:
        zero = all(c in '0.' for c in t.split('E')[0])
        res.append(('~' + t) if neg and not zero else t)
    return res


def random_value(rng):
    kind = rng.random()
    nd = rng.randint(1, 15)
    if kind < 0.25:
        # long runs of 9 and of 4/5 boundaries: rounding carries
        body = rng.choice(['9', '4', '5']) * nd
        if rng.random() < 0.5:
            body = body[:-1] + rng.choice('56789')
        body = '1' + body if rng.random() < 0.2 else body
        body = body[:15]
    else:
        body = str(rng.randint(1, 9)) + ''.join(rng.choice('0123456789') for _ in range(nd - 1))
    if rng.random() < 0.8:
        e = rng.randint(-12, 12)
    else:
        e = rng.randint(-99, 98)
    sign = '-' if rng.random() < 0.3 else ''
    return f'{sign}{body[0]}.{body[1:] or "0"}e{e}'


def main():
    rng = random.Random(20261210)
    fixed = ['0', '1', '0.5', '0.4', '0.95', '9.99', '9.995', '0.001', '0.01', '0.0099999999995',
             '9999999999', '9999999999.5', '99999999999', '1e10', '1e-3', '-0.05', '123456789012345',
             '0.333333333333333', '0.666666666666667', '-2.5', '9.99999999999999e98', '1e-99']
    values = fixed + [random_value(rng) for _ in range(2500)]
    with open('tests/data/numtext_ref.txt', 'w') as f:
        for v in values:
            x = Decimal(v)
            f.write(v + '\t' + '\t'.join(texts(x)) + '\n')


if __name__ == '__main__':
    main()
