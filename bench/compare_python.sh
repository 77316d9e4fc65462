#!/usr/bin/env bash
# The program loops of bench/prog_loops.cpp against the same loops in
# CPython's decimal module at 15 digits, side by side in one run: rounds of
# both in turn (so that both meet the same machine), the median of each
# side over the rounds, and the ratio ours / CPython (below 1 means ours is
# faster).
#   bench/compare_python.sh [build directory] [rounds]
# Pin it to one core for steadier figures: taskset -c 3 bench/compare_python.sh
set -euo pipefail
build=${1:-build}
rounds=${2:-7}
bin="$build/bench/bench_prog_loops"
[[ -x "$bin" ]] || { echo "no $bin: build the benchmarks first" >&2; exit 1; }
exec python3 - "$bin" "$rounds" <<'PY'
import decimal, json, os, statistics, subprocess, sys, time

binary, rounds = sys.argv[1], int(sys.argv[2])
decimal.getcontext().prec = 15
D = decimal.Decimal

def summing():
    # 0->S:For 1->I To 10000:S+I->S:Next
    s, i, n, one = D(0), D(1), D(10000), D(1)
    while i <= n:
        s = s + i
        i = i + one
    return s

def if_list():
    # 0->A:For 1->I To 10000:If I<5000:Then A+I->A:Else A-1->A:IfEnd:I->List 1[1]:Next
    a, lst, i, n, one, half = D(0), [D(0)], D(1), D(10000), D(1), D(5000)
    while i <= n:
        if i < half:
            a = a + i
        else:
            a = a - one
        lst[0] = i
        i = i + one
    return a

def python_ms(fn, reps=15):
    times = []
    for _ in range(reps):
        t = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t)
    return statistics.median(times) * 1e3

def ours_ms():
    out = subprocess.run([binary, "--benchmark_filter=BM_ForSum|BM_ForIfElseListElement",
                          "--benchmark_min_time=0.2", "--benchmark_format=json"],
                         check=True, capture_output=True, text=True).stdout
    runs = {b["name"]: b for b in json.loads(out)["benchmarks"]}
    # the counter holds seconds per pass: times 10,000 passes, in ms
    return {k: runs[k]["ns_per_pass"] * 1e4 * 1e3 for k in runs}

loops = [("summing For loop", "BM_ForSum", summing), ("If/Else + list element", "BM_ForIfElseListElement", if_list)]
ours = {k: [] for _, k, _ in loops}
cpy = {k: [] for _, k, _ in loops}
for _ in range(rounds):
    o = ours_ms()
    for _, key, fn in loops:
        ours[key].append(o[key])
        cpy[key].append(python_ms(fn))
print(f"{os.cpu_count()} cores, {rounds} rounds, CPython {sys.version.split()[0]} decimal at 15 digits, 10,000 passes")
print(f"{'loop':26s} {'ours ms':>9s} {'CPython ms':>11s} {'ours / CPython':>15s}")
for name, key, _ in loops:
    o, p = statistics.median(ours[key]), statistics.median(cpy[key])
    print(f"{name:26s} {o:9.3f} {p:11.3f} {o / p:15.2f}")
PY
