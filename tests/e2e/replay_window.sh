# Recordings through a real window on an X server: a session played as a
# player plays (variable steps, fullscreen and back), replayed headless and
# in a window of its own, where the desktop's pointer and focus do not count.
source "$(dirname "$0")/lib.sh"
unset SDL_VIDEODRIVER
command -v xvfb-run >/dev/null || { fail "xvfb-run is missing (scripts/install-deps.sh installs it)"; finish; }
cp "$(dirname "$0")/replay_session.txt" "$WORK/session.txt"
printf '80 keydown ALT\n81 keydown RETURN\n82 keyup RETURN\n83 keyup ALT\n' >>"$WORK/session.txt"

xvfb() { xvfb-run -a -s "-screen 0 1280x800x24" "$@"; }

xvfb "$GAME" -360 --play --steps 140 --seed 21 --input "$WORK/session.txt" --record "$WORK/rec.txt" \
  --dump-state "$WORK/rec.json" >"$WORK/rec.out" 2>"$WORK/rec.err"
rc=$?
expect_rc 0
expect_line rec.txt "^0 pointer [-0-9.e+]+ [-0-9.e+]+$"
expect_line rec.txt "^51 resize 1280x800$"
expect_line rec.txt "^81 resize 640x360$"

run_game headless --headless --replay "$WORK/rec.txt" --dump-state "$WORK/headless.json"
expect_rc 0
same_dump rec.json headless.json "headless replay of a windowed session"

xvfb "$GAME" --replay "$WORK/rec.txt" --dump-state "$WORK/window.json" >"$WORK/window.out" 2>"$WORK/window.err"
rc=$?
expect_rc 0
same_dump rec.json window.json "replay in a window"

finish
