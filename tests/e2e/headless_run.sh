# A headless fixed-step run: start-up and shutdown log lines, exit code 0,
# and the state dump.
source "$(dirname "$0")/lib.sh"

run_game run --headless -360 --fixed-step --steps 100 --seed 7 --dump-state "$WORK/s.json"
expect_rc 0
expect_line run.out "^app path: '/.*/'$"
expect_line run.out "^total start-up time: [0-9]+ ms$"
expect_line run.out "^closing\.\.\.$"
expect_line run.out "^closed all systems$"
[ "$(json_get s.json "j['steps']")" = "100" ] || fail "state dump steps"
[ -n "$(json_get s.json "j['random_state']")" ] || fail "state dump random_state"
# Start-up ends at the title screen, whose elements the dump lists.
[ "$(json_get s.json "j['mode']")" = "TitleGameMode" ] || fail "start-up does not end at the title"
[ "$(json_get s.json "[e['text'] for e in j['gui'] if e['name'] == '.normal']")" = "['Play', 'Quit']" ] ||
  fail "the title's buttons are not in the state dump"

# The same seed and steps give the same final random state.
run_game run2 --headless -360 --fixed-step --steps 100 --seed 7 --dump-state "$WORK/s2.json"
[ "$(json_get s.json "j['random_state']")" = "$(json_get s2.json "j['random_state']")" ] || fail "runs with one seed differ"

# A relative --shot name is written where the run was started.
(cd "$WORK" && "$GAME" --headless -360 --play --fixed-step --steps 3 --shot rel.png >"$WORK/rel.out" 2>&1)
[ -s "$WORK/rel.png" ] || fail "a relative --shot name was not written in the current folder"

# Step counts are decimal: a leading zero is not octal.
run_game octal --headless -360 --fixed-step --steps 010 --dump-state "$WORK/o.json"
expect_rc 0
[ "$(json_get o.json "j['steps']")" = "10" ] || fail "--steps 010 did not run 10 steps"

# Zero steps: quits at once, still through the normal path.
run_game zero --headless -360 --fixed-step --steps 0 --dump-state "$WORK/z.json"
expect_rc 0
[ "$(json_get z.json "j['steps']")" = "0" ] || fail "zero-step run stepped"
expect_line zero.out "^closed all systems$"

# A scripted Escape/unknown key line is refused with the file and line named.
printf '0 keydown A\n3 keydown NOPE\n' >"$WORK/bad.txt"
run_game badinput --headless --fixed-step --steps 5 --input "$WORK/bad.txt"
expect_rc 100
expect_line badinput.err "bad.txt:2: unknown key 'NOPE'"

finish
