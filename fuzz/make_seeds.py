#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/<target>/.

Seeds are small hand-made inputs that reach the main paths of each target;
the inputs that once found a fault are kept beside them under names starting
with "fault-" (written here too, so that the corpus can be made anew).
Run from anywhere: python3 fuzz/make_seeds.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def real(text):
    """Bytes 0-11 of a stored real from a decimal text (numbers only)."""
    neg = text.startswith("-")
    t = text.lstrip("-")
    mant, _, exp = t.lower().partition("e")
    e = int(exp) if exp else 0
    whole, _, frac = mant.partition(".")
    digits = (whole + frac).lstrip("0")
    if not digits:
        return bytes(12)
    e += len(whole.lstrip("0")) - 1 if whole.strip("0") else -(len(frac) - len(frac.lstrip("0")) + 1)
    digits = (digits + "0" * 15)[:15]
    s = (6 if neg else 1) if e >= 0 else (5 if neg else 0)
    stored = e if e >= 0 else 100 + e
    nibbles = [s, stored // 10, stored % 10] + [int(c) for c in digits] + [0] * 6
    return bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, 24, 2))


def value(re, im=None):
    r = bytearray(real(re))
    if im is None:
        return bytes(r) + bytes(12)
    r[0] |= 0x80
    return bytes(r) + real(im)


# ---- number_parse: display byte, then the text
for i, t in enumerate(["1+2", "0", "-6.3", "1e-15", "9E99", "9.99999999999999e99", "1e-99", "1e-100", "2a1a3",
                       "3a4", "-1a1a2", "123456789012345678", "0.000012345", "1.5e", "e5", "--1", "9E99a9E99a1",
                       "9E99a5E99a3", "1a0", "12a34a56a78a90"]):
    put("number_parse", "seed-%02d" % i, bytes([[0x00, 0x10, 0x23, 0x39, 0x80][i % 5]]) + t.encode())
put("number_parse", "fault-frac-overflow-error-bytes", b"\x00" + b"9E99a9E99a1")

# ---- number_format: display, complex mode, angle, base, fraction result, two values, keys
def fmt(display, cmode, angle, base, frac, v, w, keys):
    return bytes([display, cmode, angle, base, frac]) + v + w + bytes(keys)

ALL_KEYS = list(range(20)) + [0 + 20 * k for k in range(8)] + [8 + 20 * k for k in range(5)] + [144]  # 144: Eng up
put("number_format", "seed-real", fmt(0, 0, 0, 0, 0, value("0.75"), value("2"), ALL_KEYS))
put("number_format", "seed-complex-rect", fmt(0, 1, 0, 0, 0, value("3", "4"), value("1.5"), ALL_KEYS))
put("number_format", "seed-complex-polar", fmt(0x3A, 2, 0, 0, 1, value("-1e8", "-2e9"), value("0.5"), ALL_KEYS))
put("number_format", "seed-fix", fmt(0x24, 0, 1, 0, 0, value("12345.678"), value("-3"), ALL_KEYS))
put("number_format", "seed-eng", fmt(0x80, 1, 2, 0, 0, value("-8.48517638461e-7", "-5.19642262733778e77"),
                                     value("7"), ALL_KEYS))
put("number_format", "seed-basen", fmt(0, 0, 0, 4, 0, value("255"), value("-1"), ALL_KEYS))
put("number_format", "seed-fraction", fmt(0, 0, 0, 0, 1, bytes.fromhex("1a51a1a2") + bytes(20), value("3"),
                                          ALL_KEYS))
# The inputs that found faults: a complex DMS in the polar mode under Sci and
# Fix (heap overflow); a digit nibble above 9 under the fraction keys
# (division by zero); a malformed real's argument (table read before its
# start); a fraction count nibble F; a negative exponent stored as 00.
put("number_format", "fault-dms-polar-sci", fmt(0x3A, 2, 0, 0, 0, value("-1e8", "-2e9"), value("1"), [3]))
put("number_format", "fault-dms-polar-fix", fmt(0x29, 2, 0, 0, 0, value("-1e8", "-2e9"), value("1"), [3]))
bad_digit = bytes.fromhex("09999999999999999a") + bytes(3)
put("number_format", "fault-to-fraction-divide", fmt(0, 0, 0, 0, 0, bad_digit + bytes(12), value("1"), [1, 2, 14]))
put("number_format", "fault-arg-exponent", fmt(0, 1, 0, 0, 0, bytes([0xC9, 0xF1]) + bytes(10) + real("2"),
                                               value("1"), [16, 17, 0x10]))
put("number_format", "fault-frac-count", fmt(0, 0, 0, 0, 0, bytes.fromhex("1af1a3") + bytes(21), value("1"),
                                             [0, 5, 6, 7]))
put("number_format", "fault-exponent-00", fmt(0, 0, 0, 0, 0, bytes.fromhex("000123") + bytes(21), value("1"),
                                              [0, 10, 20, 40]))

# ---- storage_image: patch count, patches, then operations (the operation is
# its code modulo 12; bit 4 asks for a folder or sets the attribute)
def op(code, a, b, n, pos):
    return bytes([code, a, b]) + struct.pack(">HH", n, pos)

OPS = b"".join(op(c, c % 8, (c * 3) % 8, 100 + 300 * c, 7 * c) for c in range(12))
put("storage_image", "seed-untouched", b"\x00" + OPS)
put("storage_image", "seed-create-write", b"\x00" + op(0, 2, 0, 500, 0) + op(2, 2, 0, 400, 10) + op(3, 2, 0, 900, 0)
    + op(11, 0, 0, 0, 0))
put("storage_image", "seed-folder", b"\x00" + op(25, 6, 0, 1, 0) + op(0, 7, 0, 64, 0) + op(4, 7, 2, 0, 0))
put("storage_image", "seed-work", b"\x00" + op(7, 0, 0, 2000, 100) + op(8, 0, 0, 0, 0) + op(7, 0, 0, 10, 0)
    + op(10, 0, 0, 0, 0))
# A patch: where byte (bit 7 anywhere, else the directory; low bits length - 1), offset, bytes.
put("storage_image", "seed-patched-name", b"\x01" + bytes([0x01]) + struct.pack(">I", 32 * 7 + 8) + b"ZZ" + OPS)
# A stray record one entry behind the first blank entry (the directory of the
# built image holds 22 entries).
leftover = bytes([0x07]) + struct.pack(">I", 32 * 23) + bytes([0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFF])
put("storage_image", "fault-record-behind-blank", b"\x01" + leftover + op(0, 2, 0, 16, 0) + op(1, 6, 0, 0, 0)
    + op(0, 3, 0, 16, 0))
# The work file renamed, then written again.
put("storage_image", "fault-work-renamed", b"\x00" + op(4, 4, 2, 0, 0) + op(7, 0, 0, 300, 20) + op(11, 0, 0, 0, 0))

# ---- memory_items: op, folder, name, other, folder2, count (2), offset (2);
# the operation is op modulo 22, bit 6 locks rather than unlocks, bit 7 asks
# for large sizes
def mop(code, folder, name, other, folder2, count, offset, extra=b""):
    return bytes([code, folder, name, other, folder2]) + struct.pack(">HH", count, offset) + extra

seq = b"".join(mop(c, c % 6, c % 6, (c + 1) % 6, (c + 2) % 6, 16 + c * 8, c, b"\x01") for c in range(22))
put("memory_items", "seed-all", seq)
put("memory_items", "seed-items", mop(0, 0, 0, 0, 0, 64, 0, b"\x01") + mop(3, 0, 0, 0, 0, 32, 4)
    + mop(5, 0, 0, 0, 0, 16, 8) + mop(6, 0, 0, 0, 0, 8, 4) + mop(8, 0, 0, 1, 2, 0, 0) + mop(14, 0, 0, 0, 2, 0, 0)
    + mop(9, 0, 0, 2, 2, 0, 0) + mop(10, 2, 2, 1, 0, 0, 0))
put("memory_items", "seed-full", mop(132, 0, 0, 0, 0, 0xFFFC, 0, b"\x01") + mop(135, 0, 0, 0, 0, 0xFFF0, 0))
# A protected NAT_CLIP, then a new clipboard text.
put("memory_items", "fault-locked-nat-clip", mop(19, 1, 0, 0, 0, 20, 0) + mop(79, 1, 4, 0, 0, 0, 0)
    + mop(19, 1, 0, 0, 0, 40, 0) + mop(20, 0, 0, 0, 0, 0, 0))

# ---- ui_charset: capacity, text
for i, t in enumerate(["sin \u03c0\r\n2\u00d73 \u20ac", "plain ascii", "\u03b8\u00b2\u03b1\u00e9",
                       "\xff\xfe bad", "tab\there"]):
    raw = t.encode("utf-8", "surrogatepass") if i != 3 else b"\xff\xfe bad \xe2\x82"
    put("ui_charset", "seed-%02d" % i, bytes([[10, 50, 199, 3, 0][i]]) + raw)
put("ui_charset", "seed-calc-codes", bytes([64]) + b"\x7f\x50\xe5\x96\xe6\x4b\xf7\x00\x87\x0d\xd0\x8b\x7f")

# ---- shell_text: 12 bytes of a working number, then script lines
lines = b"KEY EXE\nKEY F1 30001\nCHAR a\nCHAR 0x41\nLETTER A\nLETTER b STAY\nANS\nCAPTURE\nWAIT 100\n# note\nBAD\n"
put("shell_text", "seed-lines", bytes.fromhex("000000000000000000001000") + lines)
put("shell_text", "seed-negative", bytes.fromhex("314159265358979000006004") + b"KEY AC\nCHAR 0x20\n")
put("shell_text", "seed-kinds", bytes.fromhex("f00000000000000000000003") + b"KEY\nLETTER\nWAIT -1\nWAIT 999999\n")

# ---- eval_tokens: mode byte (Base-N mode, complex mode, angle), token text
for i, (m, t) in enumerate([
        (0, b"1\x892"),                                   # 1+2
        (5, b"\x81" b"30\xa9(2\x99\x7f\x50)"),            # sin 30 x (2-i), a+bi
        (0, b"2\xbb" b"3\x89" b"1\xbb" b"6"),             # fractions
        (2, b"\xd0\xb9" b"2\x0eA"),                        # pi/2 -> A
        (1, b"1011\x89" b"11"),                           # Bin
        (0, b"{1,2,3}\x89" b"10"),                        # a list
        (0, b"[[1,2][3,4]]\xa9[[1][1]]"),                 # matrices
        (0, b"((2\x89" b"3)\xa8" b"2\x8b"),               # brackets, powers
        (0, b"\x7f\x2c" b"X\x8b,X,1,5,1)"),               # Seq(
        (0, b"\xfb" b"1.96)\x89\xcb"),                    # P( and x-hat
]):
    put("eval_tokens", "seed-%02d" % i, bytes([m]) + t)
# ---- eval_fnmem: type-and-angle byte, then a stored function text
for i, (m, t) in enumerate([
        (0, b"X\x8b\x89" b"1"),                         # X^2+1
        (1, b"\x82T\xf6\x81T"),                         # cos T, sin T (parametric)
        (2, b"2\xce"),                                   # 2 theta (polar)
        (0, b"\x14\x89" b"1"),                           # f1+1: calls itself
        (0, b"1\xb9X"),                                  # 1/X
        (0, b"\x14("),                                   # an argument left open
        (1, b"\x82T"),                                   # no second text
]):
    put("eval_fnmem", "seed-%02d" % i, bytes([m]) + t)
# RndFix( of a list left the list's block behind.
put("eval_tokens", "fault-rndfix-list-leak", b"\x00\xb6" b"12\x7f\x86\x82\x82{1")
# A list result in Base-N mode (theta {1,2,3} with radian marks, Hex) left its
# block behind when it became Ma ERROR.
put("eval_tokens", "fault-basen-list-leak", b"\x04\xce{1,2,3}\xac\xac\xac")

# ---- graph_scan: type byte (function type, Simul, Plot, style), formula text
for i, (m, t) in enumerate([
        (0x00, b"X\xa8" b"2"),                                # Y=X^2
        (0x08, b"\x81X"),                                     # sin X, Simul
        (0x00, b"{1,2,3}X"),                                   # one curve an element
        (0x00, b"AX\xa8" b"2,[A=1,2,3]"),                     # a value list
        (0x00, b"X,[1,3]"),                                    # a range
        (0x02, b"4\x82T\xf6" b"4\x81T"),                    # 4cos T, 4sin T
        (0x01, b"2\xce"),                                     # r=2 theta
        (0x03, b"2"),                                          # X=2
        (0x04, b"X"),                                          # Y>X
        (0x10, b"1\xb9X"),                                    # 1/X, Plot
        (0x00, b"\x7f\x51" b"1X"),                           # List 1 X
        (0x00, b"\x7f\x26X\xa8" b"2,X)"),                   # d/dx(X^2,X)
]):
    put("graph_scan", "seed-%02d" % i, bytes([m]) + t)
# ---- graph_command: byte 0 picks the command (bit 7: a style prefix), the
# rest is its argument text
for i, (m, t) in enumerate([
        (10, b"\x87" b"5,\x87" b"2,5,2"),                   # F-Line -5,-2,5,2
        (9, b"0,0,2"),                                         # Circle 0,0,2
        (6, b"3"),                                             # Vertical 3
        (11, b"1,1"),                                          # PlotOn 1,1
        (2, b"1,1:\xe0" b"2,2:\xe1"),                      # Plot, Plot, Line
        (14, b"5,10"),                                         # PxlOn 5,10
        (8, b"1,1,\"AB\""),                                  # Text 1,1,"AB"
        (17, b"X\xa8" b"2"),                                  # Graph Y=X^2
        (17, b"\x81"),                                        # Graph Y=sin
        (0x80 | 18, b"X"),                                     # SketchNormal Graph Y>X
        (4, b"3"),                                             # StoPict 3
        (25, b""),                                             # DrawGraph
        (27, b"(X\xa8" b"2,0,3)"),                         # Graph integral of X^2 from 0 to 3
        (17, b"\xfb" b"1)"),                                  # Graph Y=P(1)
        (31, b""),                                             # ZoomAuto
]):
    put("graph_command", "seed-%02d" % i, bytes([m]) + t)
# ---- graph_memory: byte 0 picks "GMEM"1 (0), "PICT"1 (1) or graph function 1
# (2); the rest is the item's data.
def gmem(setup, count, windows, heads, texts):
    b = bytes(setup) + struct.pack("<H", count) + bytes(3)
    for w in windows:
        b += b"".join(real(x) for x in w)
    return b + b"".join(heads) + b"".join(t + b"\0" for t in texts)


INITIAL = ["-6.3", "6.3", "1", "0.1", "-3.1", "3.1", "1", "0", "6.2831853071796", "0.062831853071796",
           "0.203225806451613"]
FUNCS = [b"X\xa8" b"2", b"\x81X"] + [b""] * 18
HEADS = [bytes([8, 1, 0x80, 2])] * 2 + [bytes(4)] * 18
put("graph_memory", "seed-gmem", bytes([0]) + gmem([0, 0, 0, 3, 1, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0], 20, [INITIAL],
                                                   HEADS, FUNCS))
put("graph_memory", "seed-gmem-dual", bytes([0]) + gmem([0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0], 20,
                                                        [INITIAL, INITIAL], HEADS, FUNCS))
put("graph_memory", "seed-gmem-bad-count", bytes([0]) + gmem([9] * 15, 0xFFFF, [INITIAL], HEADS, FUNCS)[:260])
put("graph_memory", "seed-pict", bytes([1]) + bytes(range(256)) * 8)
put("graph_memory", "seed-pict-short", bytes([1]) + bytes(1000))
put("graph_memory", "seed-func", bytes([2]) + bytes([8, 1, 0x80, 2]) + b"X\xa8" b"2\0")
put("graph_memory", "seed-func-unended", bytes([2]) + bytes([8, 1, 0x80, 0]) + b"XXXX")

# ---- recur_dyna_items: byte 0 picks "D_MEM" (0), "COND" (1) or "RECRG" with
# "AN"-"CN" (2: type, sum display, the three item lengths, 168 range bytes,
# the items).
def cond(start="1", end="5", pitch="1", speed=3, var=1, frame=0, cycles=0):
    return real(start) + real(end) + real(pitch) + struct.pack("<HHHH", speed, var, frame, cycles)


def dmem(setup, count, c, funcs, heads):
    b = bytes(setup) + bytes(2) + struct.pack("<H", count) + c
    b += b"".join(value("0") for _ in range(28)) + b"".join(real(x) for x in INITIAL)
    return b + b"".join(heads) + b"".join(t + b"\0" for t in funcs)


DYNA_FUNCS = [b"AX\x89B"] + [b""] * 19
DYNA_HEADS = [bytes([8, 1, 0x10, 2])] + [bytes(4)] * 19
put("recur_dyna_items", "seed-dmem", bytes([0]) + dmem([1] + [0] * 11, 20, cond(), DYNA_FUNCS, DYNA_HEADS))
put("recur_dyna_items", "seed-dmem-21-funcs", bytes([0]) + dmem([1] + [0] * 11, 21, cond(), DYNA_FUNCS, DYNA_HEADS))
put("recur_dyna_items", "seed-dmem-speed-9", bytes([0]) + dmem([0] * 12, 20, cond(speed=9), DYNA_FUNCS, DYNA_HEADS))
put("recur_dyna_items", "seed-dmem-unended", bytes([0]) + dmem([0] * 12, 20, cond(), DYNA_FUNCS, DYNA_HEADS)[:948])
put("recur_dyna_items", "seed-cond", bytes([1]) + cond("0", "1", "0.1"))
put("recur_dyna_items", "seed-cond-letter-27", bytes([1]) + cond(var=27))
put("recur_dyna_items", "seed-cond-63", bytes([1]) + cond("0", "63", "1"))


def recrg(start, end, terms):
    vals = [start, end] + terms + ["0"] * (12 - len(terms))
    return b"".join(real(v) for v in vals)


def recur_item(text, sel=0x10):
    return bytes([0x04, 0x09, sel, 2]) + text + b"\0"


FIB = recur_item(b"\x7f\xa1\x89\x7f\xa0")
HALF = recur_item(b"\x7f\xa0\xb9" b"2\x89" b"1")
XMIN = recur_item(b"\x7f\xa0\x89\x7f\x00")
put("recur_dyna_items", "seed-recur-fibonacci", bytes([2, 3, 0, len(FIB), 0, 0]) + recrg("0", "20", ["1", "0", "0", "1"]) + FIB)
put("recur_dyna_items", "seed-recur-web", bytes([2, 1, 1, len(HALF), len(XMIN), 0]) + recrg("0", "10", ["0"]) + HALF + XMIN)
put("recur_dyna_items", "seed-recur-lead-at-end", bytes([2, 1, 0, 7, 0, 0]) + recrg("0", "5", ["1"]) +
    bytes([0x04, 0x09, 0x10, 2, 0x31, 0x89, 0x7f]))

# ---- finance_record: flags (bit 0 Payment End, bits 1-2 Date Mode, bits 3-5
# the item's size), the item's bytes, then 12-byte flows of the cash-flow list


def fin_record(n="0", i="0", pv="0", pmt="0", fv="0", py="12", cy="12", pm1="0", pm2="0", cst="0", sel="0",
               mrg="0", d="1", d1=(1, 1, 1997), d2=(1, 1, 1997), lst=1, mark=1):
    reals = [n, i, pv, pmt, fv, py, cy, pm1, pm2, cst, sel, mrg, d, "1", "12", "0", "0", "0", "0"]
    b = b"".join(real(x) for x in reals)
    b += struct.pack("<6H", *d1, *d2) + struct.pack("<4H", lst, 0, 0, 0) + bytes([0x65, 0, mark, 0])
    assert len(b) == 252
    return b


put("finance_record", "seed-loan", bytes([1]) + fin_record("60", "7.5", "25000", "-500", "-5000", pm1="13", pm2="24")
    + b"".join(real(x) for x in ["-1000", "500", "500", "500"]))
put("finance_record", "seed-bgn-360", bytes([2]) + fin_record("360", "6", "200000", "-1199.10", "0", "12", "4",
                                                              "1", "360", "40", "89.99", "37.5", "1000",
                                                              (28, 2, 2000), (31, 12, 2099), 2)
    + b"".join(real(x) for x in ["2000", "-500", "0", "-500"]))
put("finance_record", "seed-foreign", bytes([1]) + fin_record(mark=0))
put("finance_record", "seed-short", bytes([5 << 3]) + fin_record()[:12])
put("finance_record", "seed-bad-fields", bytes([1]) + fin_record("1e99", "-100", "0", "0", "0", "0", "2.5", "0",
                                                                 "10000", d1=(31, 2, 2000), d2=(1, 13, 0),
                                                                 lst=21))

# ---- mcs_group_file: byte 0 (bit 0: host, big-endian), then a group file.
def mcs_item(folder, name, itype, data, host):
    order = ">" if host else "<"
    return (folder.encode().ljust(8, b"\0") + name.encode().ljust(8, b"\0") + bytes([itype])
            + struct.pack(order + "I", len(data)) + bytes(3) + data)


def mcs_file(items, host):
    order = ">" if host else "<"
    head = b"Brindlex" + b"1\0\x10\0" + bytes(18) + struct.pack(order + "H", len(items))
    return bytes([1 if host else 0]) + head + b"".join(mcs_item(*it, host) for it in items)


def mcs_array(a, b, reals, host, sub=b""):
    order = ">" if host else "<"
    return sub.ljust(8, b"\0") + struct.pack(order + "HH", a, b) + bytes(4) + b"".join(reals)


def mcs_groups(host):
    setup = bytearray(100)
    setup[21], setup[46], setup[19] = 2, 1, 1
    alpha = b"".join(value(str(i)) for i in range(29))
    program = b"KEY".ljust(8, b"\0") + b"\0\0" + b"1+2\0"
    program += bytes(-len(program) % 4)
    return {
        "alpha": [("$GLOBAL", "ALPHAMEM", 0, alpha)],
        "setup": [("$GLOBAL", "SETUP", 0, bytes(setup))],
        "system": [("$GLOBAL", "SYSTEM", 0, b"@RUNMAT\0\0"), ("@REV2", "CLIP", 0xCD, b"AB\0\0")],
        "list": [("main", "1LIST1", 0x8A, mcs_array(3, 0, [real("1"), real("2.5"), real("-3")], host, b"SUB"))],
        "clist": [("main", "2LIST1", 0x8A, mcs_array(1, 0, [real("1"), real("2")], host))],
        "matrix": [("main", "MAT_A", 0x8C, mcs_array(2, 2, [real(str(i)) for i in range(4)], host))],
        "program": [("system", "PROG", 0xC7, program)],
    }


for host in (False, True):
    tag = "host" if host else "storage"
    groups = mcs_groups(host)
    for name, items in groups.items():
        put("mcs_group_file", "seed-%s-%s" % (tag, name), mcs_file(items, host))
    backup = mcs_file([it for items in groups.values() for it in items], host)
    put("mcs_group_file", "seed-%s-backup" % tag, backup)
    for cut in (20, 40, 100, len(backup) // 2, len(backup) - 1):
        put("mcs_group_file", "seed-%s-cut%d" % (tag, cut), backup[:cut])

# ---- equa_items: byte 0 (bit 0 a host file, bits 1-2 Complex Mode, bit 4
# the degree, bits 5-7 the unknowns), then a group file carrying the
# equation items
def equa_file(mode, items):
    host = bool(mode & 1)
    return bytes([mode]) + mcs_file(items, host)[1:]


def equa_items(host, siml=None, poly=None, text=None):
    items = []
    if siml:
        items.append(("main", "SIMLCOEF", 0x8C, mcs_array(siml[0], siml[1], [real(c) for c in siml[2]], host)))
    if poly:
        items.append(("main", "POLYCOEF", 0x8C, mcs_array(1, len(poly), [real(c) for c in poly], host)))
    if text is not None:
        t = text + b"\0"
        items.append(("main", "EQU_SOLV", 0x85, t + bytes(-len(t) % 4)))
    return items


siml3 = (3, 4, ["1", "1", "1", "6", "0", "2", "5", "-4", "2", "5", "-1", "27"])
put("equa_items", "seed-solve-all", equa_file(0x52, equa_items(False, siml3, ["1", "0", "-3", "2"], b"B=A\x89B")))
put("equa_items", "seed-host-file", equa_file(0x53, equa_items(True, siml3, ["1", "0", "0", "-1"], b"X\x8b=A")))
put("equa_items", "seed-quadratic-real", equa_file(0x00, equa_items(False, None, ["1", "0", "1"])))
put("equa_items", "seed-singular", equa_file(0x20, equa_items(False, (2, 3, ["1", "2", "3", "2", "4", "6"]), None,
                                                              b"X=Y=1")))
put("equa_items", "seed-six", equa_file(0xA2, equa_items(False, (6, 7, [str((i * 7) % 11 - 5) for i in range(42)]),
                                                          ["0", "1", "2"], b"\x7f\x50X")))

# ---- stat_commands: the 312-byte "STATap" (18 words, 23 reals), then lists
# 1-4 (a count byte and 12-byte reals each), then Mat A (rows and columns
# bytes, 1 + value % 4, and its elements).


def stat_record(words, reals):
    assert len(words) == 18 and len(reals) == 23
    return struct.pack("<18h", *words) + b"".join(real(x) for x in reals)


def stat_list(values):
    return bytes([len(values)]) + b"".join(real(x) for x in values)


STAT_WORDS = [53, 0, 1, 0, 8, 0, 2, 1, 2, 1, 2, 0, 0, 1, 2, 1, -1, 0]
STAT_REALS = ["0", "5", "0.5", "0.5", "0.4", "5.35", "4.8", "8", "6", "45", "30", "0", "0.45", "0.26", "0.05",
              "0.95", "-1", "1", "0.9", "7", "10", "15", "20"]
STAT_LISTS = (stat_list(["5.1", "4.9", "5.6", "5.8", "6", "5.2", "4.7", "5.5"])
              + stat_list(["4.8", "5", "4.6", "5.1", "4.4", "4.9", "5", "5.2"])
              + stat_list(["1", "1", "2", "2", "3", "3", "1", "2"])
              + stat_list(["1", "2", "1", "2", "1", "2", "2", "1"]))
STAT_MATRIX = bytes([1, 2]) + b"".join(real(x) for x in ["20", "15", "25", "30", "25", "10"])
put("stat_commands", "seed-samples", stat_record(STAT_WORDS, STAT_REALS) + STAT_LISTS + STAT_MATRIX)
put("stat_commands", "seed-pooled-variable", stat_record([58, 1, 0, -1, 11, 1, 3, 3, 4, 3, 4, 0, 0, 1, 2, 2, 0, 5],
                                                         STAT_REALS) + STAT_LISTS + STAT_MATRIX)
put("stat_commands", "seed-foreign-words", stat_record([999, 7, 5, -3, 0, 9, 300, -1, 27, 0, 40, -2, 99, 0, 27,
                                                        3, 5, 30], STAT_REALS) + STAT_LISTS)
put("stat_commands", "seed-extremes", stat_record(STAT_WORDS, ["9e99", "-9e99", "1", "1e-99", "9.99e99", "0",
                                                               "1e99", "1", "1e15", "2.5", "-1", "0", "0", "0",
                                                               "1", "0.999999", "9e99", "-9e99", "1", "1e10",
                                                               "2e6", "1", "1e97"]) + bytes([3]) * 4)
# ---- calcdoc_item: byte 0 (bit 0 "EACT1", else "RUN2D1"; bits 2-7 a row),
# then the document item
def doc(entries):
    """Entries as (type, data bytes) into the document item."""
    import struct
    table = 8 + 4 * len(entries)
    words, body = [], b""
    for t, d in entries:
        words.append(t << 24 | (table + len(body)))
        body += d
    return struct.pack("<I", len(entries)) + b"".join(struct.pack("<I", w) for w in words) + bytes(4) + body


def text(t):
    t = t + b"\0"
    return t + bytes(-len(t) % 4)


def calc(t, w=6, h=8):
    import struct
    return struct.pack("<HHHH", w, h, 0, 0) + text(t)


def result(v, w=6, h=8, cells=b""):
    import struct
    return v + struct.pack("<HHHH", w, h, 0, 0) + bytes(12) + cells


def list_value(kind, count, cols=0):
    import struct
    return bytes([kind, 0]) + struct.pack("<HH", count, cols) + bytes(18)


frac = b"\xbb\x1d\x1a" + b"1\x1b\x1a" + b"2\x1b\x1e"
put("calcdoc_item", "seed-run-empty", b"\x00" + doc([(3, calc(b""))]))
put("calcdoc_item", "seed-run-fraction", b"\x40" + doc([(3, calc(frac, 8, 18)), (4, result(value("0.5"), 18, 8)),
                                                          (3, calc(b""))]))
put("calcdoc_item", "seed-run-list", b"\x04" + doc([(3, calc(b"{1,2}")),
                                                      (4, result(list_value(0x20, 2), 30, 17, real("1") + real("2"))),
                                                      (3, calc(b""))]))
put("calcdoc_item", "seed-run-matrix", b"\x08" + doc([(4, result(list_value(0xB0, 1, 1), 30, 17,
                                                                   real("1") + real("2")))]))
put("calcdoc_item", "seed-eact", b"\x01" + doc([(7, text(b"======AB      =======")), (0x81, text(b"HELLO")),
                                                   (0x82, bytes([60, 0, 18, 0]) + text(frac)), (5, text(b"")),
                                                   (6, b"@RUNMAT\0\0\0\0\0" + bytes([1, 0, 0, 0]) + text(b"RUN") +
                                                    bytes(8)),
                                                   (3, calc(b"1+1")), (4, result(value("2")))]))
put("calcdoc_item", "seed-eact-bad-offset", b"\x01" + doc([(7, text(b"T")), (0x81, text(b"X"))])[:8] + b"\xff\xff" +
    doc([(7, text(b"T")), (0x81, text(b"X"))])[10:])

# ---- statgraph: a Stat Wind byte, the 94-byte "G_CND" (Start, Width, 35
# words), the 132-byte "VWIN" (eleven reals), then lists 1-4 as above.


def graph_cond(start, width, blocks):
    words = []
    for b in blocks:
        words += b
    assert len(words) == 35
    return real(start) + real(width) + struct.pack("<35H", *words)


def vwin(values):
    return b"".join(real(x) for x in values)


SG_OFF = [0, 1, 1, 2, 0, 2, 0]
SG_VWIN = vwin(["-6.3", "6.3", "1", "0.1", "-3.1", "3.1", "1", "0", "6.28318530717959", "0.0628318530717959", "0.2"])
SG_LISTS = (stat_list(["1", "2", "3", "4", "5"]) + stat_list(["2", "4", "5", "4", "5"])
            + stat_list(["2", "4", "4", "4", "5", "5", "7", "9"]) + stat_list(["2", "3", "1", "0", "4"]))
put("statgraph", "seed-scatter-regression", b"\x00" + graph_cond("1", "1", [
    SG_OFF, [1, 1, 1, 2, 0, 2, 0], [1, 9, 1, 2, 0, 1, 0], [1, 15, 1, 2, 0, 0, 0], SG_OFF]) + SG_VWIN + SG_LISTS)
put("statgraph", "seed-histograms-box", b"\x00" + graph_cond("1", "1", [
    SG_OFF, [1, 4, 3, 0, 0, 2, 0], [1, 4, 1, 0, 4, 2, 0], [1, 6, 3, 0, 0, 2, 0], SG_OFF]) + SG_VWIN + SG_LISTS)
put("statgraph", "seed-manual-ndist-npp", b"\x01" + graph_cond("0", "0.5", [
    [1, 11, 1, 2, 0, 2, 0], [1, 7, 3, 0, 0, 2, 0], [1, 3, 3, 0, 0, 1, 0], [1, 8, 1, 0, 4, 0, 0], SG_OFF])
    + SG_VWIN + SG_LISTS)

# ---- eact_file: an e-activity file (frame, SET UP and variables, folders).
def eact_file(folders):
    """folders: (name, [(item name, type, data)]) into the file's bytes."""
    setup = bytearray(100)
    setup[21], setup[46] = 1, 1
    body = bytes(setup) + bytes(696)
    for name, items in folders:
        data = b""
        for item, kind, d in items:
            data += item.ljust(8, b"\0") + struct.pack("<IBBH", len(d), kind, 0, 0) + d
        body += name.ljust(8, b"\0") + struct.pack("<BBHI", 0, 0, len(items), len(data)) + data
    return struct.pack("<IIHH", 16 + len(body), 796, len(folders), 0x0100) + b"Pack" + body


strip_data = b"REPLAY\0\0" + struct.pack("<IBBH", 4, 0xD4, 0, 0) + b"1+2\0"
eact_doc = doc([(7, text(b"======AB      =======")), (0x81, text(b"HI")),
                (6, b"@RUNMAT\0\0\0\0\0" + bytes([1, 0, 0, 0]) + text(b"RUN") +
                 struct.pack("<I", len(strip_data)) + strip_data),
                (3, calc(b"1+2")), (4, result(value("3")))])
eact_with_doc = eact_file([(b"@EACT", [(b"EACT1", 0xD4, eact_doc)])])
put("eact_file", "seed-empty", eact_file([]))
put("eact_file", "seed-document", eact_with_doc)
put("eact_file", "seed-list", eact_file([(b"@EACT", [(b"EACT1", 0xD4, eact_doc)]),
                                         (b"main", [(b"1LIST1", 0x8A, mcs_array(1, 0, [real("7")], False))])]))
for cut in (20, 830, len(eact_with_doc) - 4):
    put("eact_file", "seed-cut%d" % cut, eact_with_doc[:cut])
