#!/usr/bin/env bash
# The runner's own errors: no script, a script that cannot be read, a script
# with a #! line. runner_usage.sh SQ_RUNNER
set -u
sq="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

out="$("$sq" 2>&1)"; rc=$?
[ "$rc" = 2 ] || fail "no arguments: exit $rc"
[ "$out" = "usage: sq FILE [ARGS...]" ] || fail "no arguments: '$out'"

out="$("$sq" "$tmp/missing.nut" 2>&1)"; rc=$?
[ "$rc" = 1 ] || fail "missing script: exit $rc"
[ "$out" = "sq: can't read '$tmp/missing.nut'" ] || fail "missing script: '$out'"

printf '#!/usr/bin/env sq\nprint("ran " + vargv[0]);\n' > "$tmp/shebang.nut"
out="$("$sq" "$tmp/shebang.nut" arg 2>&1)"; rc=$?
[ "$rc" = 0 ] || fail "shebang script: exit $rc"
[ "$out" = "ran arg" ] || fail "shebang script: '$out'"
echo "runner usage: ok"
