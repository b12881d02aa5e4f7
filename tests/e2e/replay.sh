# Recordings for bug reports: --record writes a session, --replay plays it
# back to the same state dump.
source "$(dirname "$0")/lib.sh"

# The session (replay_session.txt) walks right shooting at the pointer,
# jumps, goes fullscreen (a new back buffer size), turns and walks left
# shooting elsewhere: keys, buttons, moves and the wheel.
cp "$(dirname "$0")/replay_session.txt" "$WORK/session.txt"

# A scripted session, recorded and replayed.
run_game rec --headless -360 --play --fixed-step --steps 300 --seed 11 --input "$WORK/session.txt" \
  --record "$WORK/rec.txt" --dump-state "$WORK/rec.json"
expect_rc 0
expect_line rec.txt "^# SKYWARD! 0\.04 DEMO session recording"
expect_line rec.txt "^0 seed 0xb chosen$"
expect_line rec.txt "^0 size 640x360$"
expect_line rec.txt "^0 display 0x4$"
expect_line rec.txt "^0 start play$"
expect_line rec.txt "^5 mousedown left$"
expect_line rec.txt "^150 keydown RSHIFT$"
expect_line rec.txt "^51 resize [0-9]+x[0-9]+$"
grep -q "keydown RETURN" "$WORK/rec.txt" && fail "Alt+Enter, which the game never sees, was recorded"
[ "$(tail -n 1 "$WORK/rec.txt")" = "300 end" ] || fail "the recording does not end with '300 end'"
# Not a vacuous comparison: the session walked and shot.
run_game idle --headless -360 --play --fixed-step --steps 300 --seed 11 --dump-state "$WORK/idle.json"
[ "$(json_get rec.json "j['hero']['x']")" != "$(json_get idle.json "j['hero']['x']")" ] || fail "the session did not move"
[ "$(json_get rec.json "j['sound_events']['hero_shoot'] > 0")" = "True" ] || fail "the session did not shoot"

run_game play --headless --replay "$WORK/rec.txt" --dump-state "$WORK/play.json"
expect_rc 0
expect_line play.out "^replaying '.*rec\.txt': 300 steps from seed 0xb$"
same_dump rec.json play.json "fixed-step recording"
# Recording a replay writes the same recording again (the comments aside).
run_game again --headless --replay "$WORK/rec.txt" --record "$WORK/again.txt"
expect_rc 0
diff <(grep -v '^#' "$WORK/rec.txt") <(grep -v '^#' "$WORK/again.txt") >/dev/null || fail "a replay records another session"

# Controller and focus events are recorded and replayed too: the stick
# walks and aims, A jumps, the trigger fires, and a lost focus pauses.
cat >"$WORK/pad.txt" <<'EOF2'
10 padaxis leftx 0.8
20 padbutton a down
22 padbutton a up
30 padaxis rightx -0.6
30 padaxis righty -0.3
40 padaxis righttrigger 1
80 padaxis righttrigger 0
90 padaxis leftx 0
100 focus lost
105 focus gained
EOF2
run_game padrec --headless -360 --play --fixed-step --steps 140 --seed 12 --input "$WORK/pad.txt" \
  --record "$WORK/padrec.txt" --dump-state "$WORK/padrec.json"
expect_rc 0
expect_line padrec.txt "^10 padaxis leftx 0\.8"
expect_line padrec.txt "^20 padbutton a down$"
expect_line padrec.txt "^100 focus lost$"
[ "$(json_get padrec.json "j['mode']")" = "PauseGameMode" ] || fail "the recorded focus loss did not pause"
[ "$(json_get padrec.json "j['sound_events']['hero_shoot'] > 0")" = "True" ] || fail "the trigger did not fire"
run_game padplay --headless --replay "$WORK/padrec.txt" --dump-state "$WORK/padplay.json"
expect_rc 0
same_dump padrec.json padplay.json "controller and focus recording"

# A run seeded from the clock draws each new game's seed from the random
# source: the recording keeps the start seed alone, and the game started from
# the title replays the same.
cat >"$WORK/clock.txt" <<'EOF2'
1 padbutton dpdown down
2 padbutton dpdown up
3 padbutton a down
4 padbutton a up
10 keydown D
30 mousemove 600 100
30 mousedown left
60 mouseup left
EOF2
run_game clockrec --headless -360 --fixed-step --steps 80 --input "$WORK/clock.txt" --record "$WORK/clockrec.txt" \
  --dump-state "$WORK/clockrec.json"
expect_rc 0
expect_line clockrec.txt "^0 seed 0x[0-9a-f]+$"
[ "$(json_get clockrec.json "j['mode']")" = "PlayGameMode" ] || fail "the clock-seeded session did not start a game"
run_game clockplay --headless --replay "$WORK/clockrec.txt" --dump-state "$WORK/clockplay.json"
expect_rc 0
same_dump clockrec.json clockplay.json "clock-seeded recording"

# A recording cut short (no end line) replays up to its last recorded step.
grep -v ' end$' "$WORK/rec.txt" | grep -v ' view ' | sed '/^120 keyup A$/q' >"$WORK/cut.txt"
run_game cut --headless --replay "$WORK/cut.txt" --dump-state "$WORK/cut.json"
expect_rc 0
expect_line cut.out "has no end line: replaying 121 steps"
[ "$(json_get cut.json "j['steps']")" = "121" ] || fail "a cut recording did not run to its last step"

# A relative --record name is written where the run was started.
(cd "$WORK" && "$GAME" --headless -360 --fixed-step --steps 3 --record rel.txt >"$WORK/rel.out" 2>&1)
[ -s "$WORK/rel.txt" ] || fail "a relative --record name was not written in the current folder"

# Bad recordings and paths.
printf '0 seed 1\n0 size 640x360\n0 display 0x4\n0 start title\n3 keydown NOPE\n' >"$WORK/bad.txt"
run_game bad --headless --replay "$WORK/bad.txt"
expect_rc 100
expect_line bad.err "bad\.txt:5: unknown key 'NOPE'"
printf '0 keydown A\n' >"$WORK/notrec.txt"
run_game notrec --headless --replay "$WORK/notrec.txt"
expect_rc 100
expect_line notrec.err "notrec\.txt: no 'seed' line"
run_game asinput --headless --fixed-step --steps 3 --input "$WORK/rec.txt"
expect_rc 100
expect_line asinput.err "rec\.txt:[0-9]+: 'seed' belongs in a recording: play the file with --replay"
run_game missing --headless --replay "$WORK/nothere.txt"
expect_rc 100
expect_line missing.err "can't read recording '.*nothere\.txt'"
run_game unwritable --headless -360 --fixed-step --steps 3 --record "$WORK/no/such/folder/rec.txt"
expect_rc 1
expect_line unwritable.err "^ERROR: can't write the recording to '.*/no/such/folder/rec\.txt'$"

finish
