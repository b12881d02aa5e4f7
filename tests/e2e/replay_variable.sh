# A recording made as a player plays, with a varying number of steps per
# frame, replays to the same state; one cut short by a killed game replays
# as far as it goes.
source "$(dirname "$0")/lib.sh"
cp "$(dirname "$0")/replay_session.txt" "$WORK/session.txt"

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

# A game killed in the middle of a session has still written what it saw,
# step by step: the recording replays up to there.
"$GAME" --headless -360 --play --seed 14 --input "$WORK/session.txt" --record "$WORK/killed.txt" \
  >"$WORK/killed.out" 2>&1 &
pid=$!
for _ in $(seq 600); do
  grep -q '^62 mousedown left$' "$WORK/killed.txt" 2>/dev/null && break
  sleep 0.1
done
kill -9 "$pid"
wait "$pid" 2>/dev/null
grep -q '^62 mousedown left$' "$WORK/killed.txt" || fail "the recording of a running game lags behind it"
grep -q ' end$' "$WORK/killed.txt" && fail "a killed game's recording has an end line"
run_game killed_play --headless --replay "$WORK/killed.txt" --dump-state "$WORK/killed.json"
expect_rc 0
expect_line killed_play.out "has no end line: replaying [0-9]+ steps"
[ "$(json_get killed.json "j['steps'] >= 63")" = "True" ] || fail "the killed session replayed too few steps"

finish
