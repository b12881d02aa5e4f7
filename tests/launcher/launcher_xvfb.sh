# The launcher in a real window on an X server (no offscreen driver). An idle
# window sleeps between events, yet a run with --steps still ends after that
# many passes and scripted events of later passes still fire.
source "$SKY_SOURCE_DIR/tests/e2e/lib.sh"
unset SDL_VIDEODRIVER

command -v xvfb-run >/dev/null || { fail "xvfb-run is missing (scripts/install-deps.sh installs it)"; finish; }

# A click on the first option well after the last real event, then a seed
# typed into the field through the window's key path.
printf '40 mousemove 216 128\n41 mousedown left\n42 mouseup left\n' >"$WORK/late.txt"
printf '43 mousemove 480 384\n44 mousedown left\n45 mouseup left\n' >>"$WORK/late.txt"
printf '46 keydown 4\n46 keyup 4\n47 keydown 2\n47 keyup 2\n' >>"$WORK/late.txt"
# A stall must fail the test, not hang it.
timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" "$GAME" --steps 50 --input "$WORK/late.txt" \
  --dump-state "$WORK/late.json" --shot "$WORK/late.png" >"$WORK/late.out" 2>"$WORK/late.err"
rc=$?
expect_rc 0
expect_line late.out "^closed all systems$"
[ "$(json_get late.json "j['passes']")" = "50" ] || fail "passes: $(json_get late.json "j['passes']")"
[ "$(json_get late.json "j['options'][0]")" = "Fullscreen" ] ||
  fail "the click at pass 40 did not toggle: $(json_get late.json "j['options'][0]")"
[ "$(json_get late.json "j['seed']")" = "42" ] || fail "typed seed: '$(json_get late.json "j['seed']")'"
[ -s "$WORK/late.png" ] || fail "no picture of the window"

finish
