# The pause screen in the real game: Escape stops the world and resumes it,
# a lost window focus pauses (only with the option on), keys rebound on the
# Controls screen move the hero in this run and the next and Reset restores
# them, the Sound screen stores clamped volumes. Clicks are aimed through the
# state dump's "gui" list. Pictures of the three screens go to pictures/.
source "$(dirname "$0")/lib.sh"
SIZE=1280x720
SETTINGS="$XDG_CONFIG_HOME/Quillon Games/SKYWARD/settings"
mkdir -p pictures

# play NAME STEPS SCRIPT [ARGS...]: level 1 of seed 7 with that input script.
play() {
  local name="$1" steps="$2" script="$3"
  shift 3
  run_game "$name" --headless --size "$SIZE" --play --fixed-step --seed 7 --steps "$steps" --input "$script" \
    --dump-state "$WORK/$name.json" "$@"
  expect_rc 0
}

# What must not change while paused.
frozen() { json_get "$1.json" "(j['hero'], j['objects'], j['junk'], j['random_state'], j['level_hash'])"; }

# Script lines: a click at STEP (move, press, release) and a key tapped at STEP.
click() { printf '%s mousemove %s %s\n%s mousedown left\n%s mouseup left\n' "$1" "$2" "$3" $(($1 + 1)) $(($1 + 2)); }
tap() { printf '%s keydown %s\n%s keyup %s\n' "$1" "$2" $(($1 + 1)) "$2"; }
button_text() { json_get "$1.json" "[e['text'] for e in j['gui'] if e['name'] == '.normal' and e['visible']][$2]"; }
hero_x() { json_get "$1.json" "j['hero']['x']"; }
moved_right() { python3 -c "import sys; sys.exit(0 if float(sys.argv[2]) > float(sys.argv[1]) + 1 else 1)" "$1" "$2"; }

# --- Escape stops the world; 50 paused steps change nothing; Escape resumes.
{ echo "1 keydown D"; tap 20 ESCAPE; } >"$WORK/pause.in"
{ cat "$WORK/pause.in"; tap 40 F12; } >"$WORK/pause_shot.in"
play paused 22 "$WORK/pause.in"
play paused50 72 "$WORK/pause_shot.in" --shot pictures/pause_$SIZE.png
expect_json paused "j['mode']" PauseGameMode
expect_json paused50 "j['mode']" PauseGameMode
[ "$(frozen paused)" = "$(frozen paused50)" ] || fail "the world moved while paused: $(frozen paused) / $(frozen paused50)"
# The screenshot key works over the pause screen too.
expect_line paused50.out "^screenshot captured to 'shots/shot[0-9_]+\.png'"
for f in $(sed -n "s|^screenshot captured to '\(shots/[^']*\)'.*|\1|p" "$WORK/paused50.out"); do
  rm -f "$SKY_BIN_DIR/$f"
done
expect_json paused "[e['text'] for e in j['gui'] if e['name'] in ('level', 'seed')]" "['Level 1', 'Seed 7']"
expect_json paused "[e['text'] for e in j['gui'] if e['name'] == '.normal']" \
  "['Resume', 'Controls', 'Sound', 'Quit to title']"
tap 72 ESCAPE >>"$WORK/pause.in"
play resumed 90 "$WORK/pause.in"
expect_json resumed "j['mode']" PlayGameMode
moved_right "$(hero_x paused50)" "$(hero_x resumed)" || fail "the hero did not walk on after Escape"
expect_json resumed "j['sound_events']['start_level']" 1

# --- Focus loss pauses with the option on (and stays paused when it returns), not with it off.
printf '1 keydown D\n20 focus lost\n24 focus gained\n' >"$WORK/focus.in"
play focus 40 "$WORK/focus.in"
expect_json focus "j['mode']" PauseGameMode
mkdir -p "$(dirname "$SETTINGS")"
echo "pause_on_focus_loss = dword:0" >"$SETTINGS"
play nofocus 40 "$WORK/focus.in"
expect_json nofocus "j['mode']" PlayGameMode
moved_right "$(hero_x focus)" "$(hero_x nofocus)" || fail "the hero stopped without the option"
rm -f "$SETTINGS"

# --- Rebinding: walk right with L instead of D.
{ tap 3 ESCAPE; click 6 $(centre paused controls); } >"$WORK/bind.in"
play controls 10 "$WORK/bind.in"
expect_json controls "j['mode']" ControlsGameMode
expect_json controls "[e['text'] for e in j['gui'] if e['name'] == '.normal'][:6]" \
  "['A, Left', 'D, Right', 'W, Up, Space', 'Left mouse, Right mouse', 'Escape', 'Print Screen, F12']"
{ click 10 $(centre controls bind_right); tap 14 L; } >>"$WORK/bind.in"
play bound 17 "$WORK/bind.in"
expect_json bound "[e['text'] for e in j['gui'] if e['name'] == '.normal'][1]" "L"
grep -q "^bind_right = dword:76$" "$SETTINGS" || fail "bind_right not stored as L: $(cat "$SETTINGS")"
# Back, resume; D does nothing now, L walks.
{ click 17 $(centre controls back); tap 21 ESCAPE; echo "24 keydown D"; echo "40 keyup D"; } >>"$WORK/bind.in"
play holdD 42 "$WORK/bind.in"
expect_json holdD "j['mode']" PlayGameMode
{ echo "42 keydown L"; } >>"$WORK/bind.in"
play holdL 60 "$WORK/bind.in"
moved_right "$(hero_x holdD)" "$(hero_x holdL)" || fail "L did not walk right"
# Paused since step 3, the hero stood where the Controls screen left it.
[ "$(hero_x bound)" = "$(hero_x holdD)" ] || fail "D still walks after the rebinding"

# The next run reads the binding from the settings file.
printf '1 keydown L\n' >"$WORK/restartL.in"
printf '1 keydown D\n' >"$WORK/restartD.in"
printf '' >"$WORK/none.in"
play restart_none 30 "$WORK/none.in"
play restartL 30 "$WORK/restartL.in"
play restartD 30 "$WORK/restartD.in"
moved_right "$(hero_x restart_none)" "$(hero_x restartL)" || fail "L does not walk after a restart"
[ "$(hero_x restart_none)" = "$(hero_x restartD)" ] || fail "D walks after a restart"

# A conflict (jump on A, which walks left too) and a row waiting for its key, for the picture.
{ tap 3 ESCAPE; click 6 $(centre paused controls); click 10 $(centre controls bind_jump); tap 14 A
  click 17 $(centre controls bind_fire); } >"$WORK/conflict.in"
play conflict 21 "$WORK/conflict.in" --shot pictures/controls_$SIZE.png
expect_json conflict "[e['name'] for e in j['gui'] if e['name'].startswith('conflict_') and e['visible']]" \
  "['conflict_left', 'conflict_jump']"
expect_json conflict "[e['text'] for e in j['gui'] if e['name'] == '.normal'][3]" "Press a key..."

# Reset: the defaults again, stored; D walks in the next run.
{ tap 3 ESCAPE; click 6 $(centre paused controls); click 10 $(centre controls reset); } >"$WORK/reset.in"
play reset 14 "$WORK/reset.in"
expect_json reset "[e['text'] for e in j['gui'] if e['name'] == '.normal'][:3]" "['A, Left', 'D, Right', 'W, Up, Space']"
grep -q "^bind_right = dword:$((0x44 | 0x27 << 8))$" "$SETTINGS" || fail "Reset did not store D, Right"
play reset_restartD 30 "$WORK/restartD.in"
moved_right "$(hero_x restart_none)" "$(hero_x reset_restartD)" || fail "D does not walk after Reset"

# --- Sound: master down past 0, music to 70 %, effects up past 100.
{ tap 3 ESCAPE; click 6 $(centre paused sound); } >"$WORK/sound.in"
play sound 10 "$WORK/sound.in"
expect_json sound "j['mode']" SoundGameMode
volumes="[e['text'] for e in j['gui'] if e['name'] in ('volume_master', 'volume_music', 'volume_effects')]"
expect_json sound "$volumes" "['100%', '100%', '100%']"
step=10
clicks() {  # COUNT NAME N: that many clicks on the N-th button called NAME
  for i in $(seq "$1"); do click $step $(centre sound "$2" "$3"); step=$((step + 3)); done >>"$WORK/sound.in"
}
clicks 11 minus 0
clicks 3 minus 1
clicks 1 plus 2
play sound_set $step "$WORK/sound.in" --shot pictures/sound_$SIZE.png
expect_json sound_set "$volumes" "['0%', '70%', '100%']"
for stored in "volume_master = dword:0" "volume_music = dword:70" "volume_effects = dword:100"; do
  grep -q "^$stored$" "$SETTINGS" || fail "'$stored' not in the settings: $(grep volume "$SETTINGS")"
done

finish
