#!/usr/bin/env bash
# Times each benchmark program with our runner and with CPython side by side:
# compare.sh [SQ_RUNNER] [RUNS]. Each time is the best of RUNS runs (default
# 3), which keeps the noise of a busy machine down; both must print the same
# result.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
sq="${1:-$here/../../build/bin/sq}"
runs="${2:-3}"
status=0

# best_time CMD...: the shortest wall time of $runs runs, in milliseconds;
# the command's output goes to $out.
best_time() {
    local best=""
    for ((r = 0; r < runs; r++)); do
        local start end ms
        start=$(date +%s%N)
        out="$("$@")"
        end=$(date +%s%N)
        ms=$(((end - start) / 1000000))
        if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    echo "$best"
}

printf "%-12s %10s %10s  %s\n" program "sq (ms)" "python3 (ms)" result
for prog in fib ackermann matrix lists array; do
    sqms=$(best_time "$sq" "$here/$prog.nut")
    sqout="$("$sq" "$here/$prog.nut")"
    pyms=$(best_time python3 "$here/$prog.py")
    pyout="$(python3 "$here/$prog.py")"
    verdict="ok"
    [ "$sqout" == "$pyout" ] || { verdict="DIFFERENT OUTPUT: '$sqout' vs '$pyout'"; status=1; }
    [ "$sqms" -le "$pyms" ] || { verdict="$verdict, SLOWER"; status=1; }
    printf "%-12s %10d %10d  %s\n" "$prog" "$sqms" "$pyms" "$verdict"
done
exit $status
