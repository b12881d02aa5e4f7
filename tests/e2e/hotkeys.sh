# The developer hotkeys in the real game: F1 overlay, F3 sound-event logging,
# F5 level viewer in and out, F12 screenshot into shots/.
source "$(dirname "$0")/lib.sh"

# F1 and F3 on, F5 into the viewer.
printf '0 keydown F1\n1 keyup F1\n2 keydown F3\n3 keyup F3\n4 keydown F5\n5 keyup F5\n' >"$WORK/on.txt"
run_game on --headless -360 --play --fixed-step --steps 10 --seed 3 --input "$WORK/on.txt" --dump-state "$WORK/on.json"
expect_rc 0
[ "$(json_get on.json "j['mode']")" = "ViewLevelMode" ] || fail "F5 did not enter the level viewer"
[ "$(json_get on.json "j['overlay']")" = "True" ] || fail "F1 did not show the overlay"
[ "$(json_get on.json "j['sound_event_logging']")" = "True" ] || fail "F3 did not start sound-event logging"

# Pressed twice each: everything back off, back in play, hero where it was.
printf '0 keydown F1\n1 keyup F1\n2 keydown F1\n3 keyup F1\n4 keydown F5\n5 keyup F5\n8 keydown F5\n9 keyup F5\n' \
  >"$WORK/off.txt"
run_game off --headless -360 --play --fixed-step --steps 12 --seed 3 --input "$WORK/off.txt" --dump-state "$WORK/off.json"
run_game still --headless -360 --play --fixed-step --steps 12 --seed 3 --dump-state "$WORK/still.json"
expect_rc 0
[ "$(json_get off.json "j['mode']")" = "PlayGameMode" ] || fail "F5 twice did not return to play"
[ "$(json_get off.json "j['overlay']")" = "False" ] || fail "F1 twice left the overlay on"
[ "$(json_get off.json "j['hero']['x']")" = "$(json_get still.json "j['hero']['x']")" ] || fail "the viewer moved the hero"

# A picture of the overlay over play, for a person to look at.
mkdir -p pictures
printf '0 keydown F1\n1 keyup F1\n' >"$WORK/overlay.txt"
run_game overlay --headless -720 --play --fixed-step --steps 60 --seed 7 --input "$WORK/overlay.txt" \
  --shot pictures/overlay_1280x720.png
expect_rc 0
[ -s pictures/overlay_1280x720.png ] || fail "no overlay picture"

# F12 writes a PNG into shots/ next to the game.
before=$(ls "$SKY_BIN_DIR/shots" 2>/dev/null | sort)
printf '3 keydown F12\n4 keyup F12\n' >"$WORK/shot.txt"
run_game shot --headless -360 --play --fixed-step --steps 8 --seed 3 --input "$WORK/shot.txt"
expect_rc 0
expect_line shot.out "^screenshot captured to 'shots/shot[0-9_]+\.png' in [0-9]+ ms$"
new=$(comm -13 <(echo "$before") <(ls "$SKY_BIN_DIR/shots" | sort))
[ -n "$new" ] || fail "no new file in shots/"
for f in $new; do
  head -c 8 "$SKY_BIN_DIR/shots/$f" | od -An -c | grep -q "P   N   G" || fail "$f is not a PNG"
  rm -f "$SKY_BIN_DIR/shots/$f"
done

finish
