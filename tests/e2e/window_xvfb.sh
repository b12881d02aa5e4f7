# The real window path on an X server (no offscreen driver): a windowed start,
# Alt+Enter into fullscreen at the desktop's size and back to the window.
source "$(dirname "$0")/lib.sh"
unset SDL_VIDEODRIVER

command -v xvfb-run >/dev/null || { fail "xvfb-run is missing (scripts/install-deps.sh installs it)"; finish; }

printf '2 keydown ALT\n3 keydown RETURN\n4 keyup RETURN\n5 keyup ALT\n' >"$WORK/alt.txt"
printf '12 keydown ALT\n13 keydown RETURN\n14 keyup RETURN\n15 keyup ALT\n' >>"$WORK/alt.txt"
xvfb-run -a -s "-screen 0 1280x800x24" "$GAME" -360 --fixed-step --steps 20 --seed 3 --input "$WORK/alt.txt" \
  --shot "$WORK/window.png" >"$WORK/x.out" 2>"$WORK/x.err"
rc=$?
expect_rc 0
expect_line x.out "^init d3d ok \(640x360\)$"
expect_line x.out "^resized d3d to 1280x800 fullscreen$"
expect_line x.out "^resized d3d to 640x360 windowed$"
expect_line x.out "^closed all systems$"
[ -s "$WORK/window.png" ] || fail "no picture of the window"

# Ending in fullscreen: the title screen was laid out again for 1280x800
# (three pixels a unit, the 40 x 30 unit panel centred).
printf '2 keydown ALT\n3 keydown RETURN\n4 keyup RETURN\n5 keyup ALT\n' >"$WORK/full.txt"
xvfb-run -a -s "-screen 0 1280x800x24" "$GAME" -360 --fixed-step --steps 8 --seed 3 --input "$WORK/full.txt" \
  --dump-state "$WORK/full.json" >"$WORK/full.out" 2>"$WORK/full.err"
rc=$?
expect_rc 0
expect_line full.out "^resized d3d to 1280x800 fullscreen$"
[ "$(json_get full.json "j['gui'][0]['rect']")" = "[160, 40, 1120, 760]" ] ||
  fail "the title was not laid out again: root at $(json_get full.json "j['gui'][0]['rect']")"

finish
