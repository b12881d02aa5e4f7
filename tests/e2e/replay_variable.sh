# A recording made as a player plays, with a varying number of steps per
# frame, replays to the same state.
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

finish
