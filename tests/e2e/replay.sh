# Recordings for bug reports: --record writes a session, --replay plays it
# back to the same state dump.
source "$(dirname "$0")/lib.sh"

# Walks right shooting at the pointer, jumps, turns and walks left shooting
# elsewhere; keys, buttons, moves and the wheel.
cat >"$WORK/session.txt" <<'EOF'
0 mousemove 400 100
2 keydown D
5 mousedown left
30 mouseup left
40 keyup D
41 wheel -2
45 keydown SPACE
47 keyup SPACE
60 mousemove 100 250
61 keydown A
62 mousedown left
100 mouseup left
120 keyup A
150 keydown RSHIFT
151 keydown 0x6A
152 keyup 0x6A
153 keyup RSHIFT
200 keydown W
230 keyup W
EOF

same_dump() {  # A B WHAT
  cmp -s "$WORK/$1" "$WORK/$2" || { fail "$3: the dumps differ"; diff <(tr , '\n' <"$WORK/$1") <(tr , '\n' <"$WORK/$2") | head; }
}

# A scripted session, recorded and replayed.
run_game rec --headless -360 --play --fixed-step --steps 300 --seed 11 --input "$WORK/session.txt" \
  --record "$WORK/rec.txt" --dump-state "$WORK/rec.json"
expect_rc 0
expect_line rec.txt "^# SKYWARD! 0\.04 DEMO session recording"
expect_line rec.txt "^0 seed 0xb$"
expect_line rec.txt "^0 size 640x360$"
expect_line rec.txt "^0 display 0x4$"
expect_line rec.txt "^0 start play$"
expect_line rec.txt "^5 mousedown left$"
expect_line rec.txt "^150 keydown RSHIFT$"
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

# Stored settings: recorded, and replayed over a different settings file
# that is neither read nor written.
mkdir -p "$WORK/a/Quillon Games/SKYWARD" "$WORK/b/Quillon Games/SKYWARD"
printf 'bind_jump = dword:%d\nvolume_music = dword:40\nflags = dword:4\n' $((0x20 << 8 | 0x26)) \
  >"$WORK/a/Quillon Games/SKYWARD/settings"
printf 'bind_jump = dword:87\nvolume_effects = dword:3\n' >"$WORK/b/Quillon Games/SKYWARD/settings"
cp "$WORK/b/Quillon Games/SKYWARD/settings" "$WORK/b.before"
XDG_CONFIG_HOME="$WORK/a" run_game srec --headless -360 --play --fixed-step --steps 120 --seed 12 \
  --input "$WORK/session.txt" --record "$WORK/srec.txt" --dump-state "$WORK/srec.json"
expect_rc 0
expect_line srec.txt "^0 setting bind_jump 0x2026$"
expect_line srec.txt "^0 setting volume_music 40$"
grep -q "setting volume_effects" "$WORK/srec.txt" && fail "a setting the file does not hold was recorded"
[ "$(json_get srec.json "j['settings']")" = "{'bind_jump': 8230, 'volume_music': 40}" ] || fail "settings in the dump"
XDG_CONFIG_HOME="$WORK/b" run_game splay --headless --replay "$WORK/srec.txt" --dump-state "$WORK/splay.json"
expect_rc 0
same_dump srec.json splay.json "replay over other settings"
cmp -s "$WORK/b.before" "$WORK/b/Quillon Games/SKYWARD/settings" || fail "the replay changed the settings file"
XDG_CONFIG_HOME="$WORK/none" run_game snone --headless --replay "$WORK/srec.txt" --dump-state "$WORK/snone.json"
same_dump srec.json snone.json "replay without a settings file"
[ -e "$WORK/none" ] && fail "the replay created a settings folder"

# As a player plays: variable steps per frame. The pointer aims through the
# camera of the last frame drawn, which the recording keeps.
run_game vrec --headless -360 --play --steps 140 --seed 13 --input "$WORK/session.txt" \
  --record "$WORK/vrec.txt" --dump-state "$WORK/vrec.json"
expect_rc 0
run_game vplay --headless --replay "$WORK/vrec.txt" --dump-state "$WORK/vplay.json"
expect_rc 0
same_dump vrec.json vplay.json "variable-step recording"
grep -v ' view ' "$WORK/vrec.txt" >"$WORK/noview.txt"
run_game noview --headless --replay "$WORK/noview.txt" --dump-state "$WORK/noview.json"
cmp -s "$WORK/vrec.json" "$WORK/noview.json" && fail "the aim camera lines made no difference (the check above proves nothing)"

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
