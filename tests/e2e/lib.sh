# Shared helpers of the end-to-end scripts: run the game headless in a fresh
# folder and check what it printed and wrote.
set -u
GAME="$1"
WORK=$(mktemp -d /tmp/skye2e.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME="$WORK/config"
export SDL_VIDEODRIVER=offscreen
export SDL_AUDIODRIVER=dummy
failures=0

# A line of a script that is not a command (a typo, a pasted fragment) fails
# the script instead of passing unnoticed; the game's own exit codes are
# checked by expect_rc.
trap 'if [ $? -eq 127 ]; then fail "a script line is not a command (line $LINENO)"; fi' ERR

# run_game OUTPUT_PREFIX ARGS...: stdout to PREFIX.out, stderr to PREFIX.err, exit code to $rc
run_game() {
  local prefix="$1"
  shift
  "$GAME" "$@" >"$WORK/$prefix.out" 2>"$WORK/$prefix.err"
  rc=$?
}

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

expect_rc() {
  [ "$rc" -eq "$1" ] || fail "exit code $rc, expected $1"
}

expect_line() {  # FILE REGEX
  grep -Eq -- "$2" "$WORK/$1" || { fail "no line matching '$2' in $1"; sed 's/^/  | /' "$WORK/$1" | tail -20; }
}

same_dump() {  # A B WHAT: two state dumps are the same file
  cmp -s "$WORK/$1" "$WORK/$2" || {
    fail "$3: the dumps differ"
    diff <(tr , '\n' <"$WORK/$1") <(tr , '\n' <"$WORK/$2") | head
  }
}

json_get() {  # FILE EXPR  (python expression over j)
  python3 -c "import json,sys; j=json.load(open(sys.argv[1])); print($2)" "$WORK/$1"
}

expect_json() {  # DUMP EXPR VALUE: the expression over the dump WORK/DUMP.json prints VALUE
  local got
  got=$(json_get "$1.json" "$2")
  [ "$got" = "$3" ] || fail "$1: $2 is '$got', expected '$3'"
}

# centre DUMP NAME [N]: "X Y", the middle of the N-th visible element called
# NAME in the dump's "gui" list (where a click hits it).
centre() {
  python3 - "$WORK/$1.json" "$2" "${3:-0}" <<'PY'
import json, sys
j = json.load(open(sys.argv[1]))
hits = [e for e in j.get('gui', []) if e['name'] == sys.argv[2] and e['visible']]
r = hits[int(sys.argv[3])]['rect']
print((r[0] + r[2]) / 2, (r[1] + r[3]) / 2)
PY
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
