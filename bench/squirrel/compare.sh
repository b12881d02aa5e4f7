#!/usr/bin/env bash
# Times each benchmark program with our runner and with CPython side by side:
# compare.sh [SQ_RUNNER]. Both must print the same result.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
sq="${1:-$here/../../build/bin/sq}"
status=0
printf "%-12s %10s %10s  %s\n" program sq python3 result
for prog in fib ackermann matrix lists array; do
    start=$(date +%s.%N)
    sqout="$("$sq" "$here/$prog.nut")"
    mid=$(date +%s.%N)
    pyout="$(python3 "$here/$prog.py")"
    end=$(date +%s.%N)
    sqtime=$(echo "$mid - $start" | bc)
    pytime=$(echo "$end - $mid" | bc)
    same="same output"
    [ "$sqout" == "$pyout" ] || { same="DIFFERENT OUTPUT: '$sqout' vs '$pyout'"; status=1; }
    printf "%-12s %9.2fs %9.2fs  %s\n" "$prog" "$sqtime" "$pytime" "$same"
done
exit $status
