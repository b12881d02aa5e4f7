# The controller through scripted events in the real game: walking, jumping,
# firing, twin-stick aiming, the mouse taking the aim back, and the menus.
# No controller is connected: scripted events need none.
source "$(dirname "$0")/lib.sh"

# play NAME STEPS SCRIPT-LINES...: a short level-1 run with the given events.
play() {
  local name="$1" steps="$2"
  shift 2
  printf '%s\n' "$@" >"$WORK/$name.txt"
  run_game "$name" --headless -360 --play --fixed-step --steps "$steps" --seed 3 --input "$WORK/$name.txt" \
    --dump-state "$WORK/$name.json"
  expect_rc 0
}
hero() { json_get "$1.json" "j['hero']['$2']"; }
is_true() { python3 -c "import sys; sys.exit(0 if $1 else 1)"; }

# Walking: the stick both ways and half-way, the d-pad; the still hero is the reference.
play still 20 "# nothing"
play right 20 "0 padaxis leftx 1"
play left 20 "0 padaxis leftx -1"
play half 20 "0 padaxis leftx 0.625"
play dead 20 "0 padaxis leftx 0.2"
play dpad 20 "0 padbutton dpright down"
x0=$(hero still x)
is_true "$(hero right x) > $x0 + 20" || fail "the stick pushed right did not walk right ($(hero right x) vs $x0)"
is_true "$(hero left x) < $x0" || fail "the stick pushed left did not walk left ($(hero left x) vs $x0)"
is_true "$x0 < $(hero half x) < $(hero right x)" || fail "half the stick is not a slower walk ($(hero half x))"
[ "$(hero dead x)" = "$x0" ] || fail "a stick inside the dead zone walked ($(hero dead x) vs $x0)"
[ "$(hero dpad x)" = "$(hero right x)" ] || fail "the d-pad does not walk like the full stick ($(hero dpad x))"

# A jumps once per press; the left trigger does not fire, the right one and the shoulder do.
play jump 6 "0 padbutton a down"
[ "$(json_get jump.json "j['sound_events']['hero_jump']")" = "1" ] || fail "A did not jump once"
is_true "$(hero jump y) > $(hero still y) + 5" || fail "A did not lift the hero ($(hero jump y))"
play lefttrigger 10 "0 padaxis lefttrigger 1"
[ "$(json_get lefttrigger.json "j['sound_events']['hero_shoot']")" = "0" ] || fail "the left trigger fired"
play trigger 10 "0 padaxis righttrigger 0.9"
shots=$(json_get trigger.json "j['sound_events']['hero_shoot']")
is_true "$shots >= 3" || fail "the right trigger did not keep firing ($shots shots)"
play light 10 "0 padaxis righttrigger 0.3"
[ "$(json_get light.json "j['sound_events']['hero_shoot']")" = "0" ] || fail "a trigger pulled a little fired"
play shoulder 10 "0 padbutton rightshoulder down" "5 padbutton rightshoulder up"
is_true "$(json_get shoulder.json "j['sound_events']['hero_shoot']") >= 1" || fail "the right shoulder did not fire"

# The right stick: the target circles the arm pivot at a steady 40 voxels in
# the stick's direction (stick y is down, world y up), and stays when the
# stick is let go; the mouse takes the aim back as soon as it moves.
radius_check() {  # NAME DX DY
  python3 - "$WORK/$1.json" "$2" "$3" <<'PY' || fail "$1: the aim target is not 40 voxels along ($2, $3)"
import json, math, sys
h = json.load(open(sys.argv[1]))["hero"]
dx, dy = float(sys.argv[2]), float(sys.argv[3])
ox, oy = h["target_x"] - h["pivot_x"], h["target_y"] - h["pivot_y"]
ok = h["pad_aiming"] and abs(math.hypot(ox, oy) - 40) < 0.01 and abs(ox - 40 * dx) < 0.01 and abs(oy - 40 * dy) < 0.01
ok = ok and abs(h["aim_x"] - dx) < 1e-3 and abs(h["aim_y"] - dy) < 1e-3
if not ok:
    print(h)
sys.exit(0 if ok else 1)
PY
}
play aimleft 8 "0 mousemove 600 20" "2 padaxis rightx -1"
radius_check aimleft -1 0
play aimup 8 "0 mousemove 600 20" "2 padaxis rightx 0.6" "2 padaxis righty -0.8" "5 padaxis rightx 0" "5 padaxis righty 0"
radius_check aimup 0.6 0.8
[ "$(hero aimup facing)" = "1" ] || fail "aiming right did not turn the hero right"
play aimdown 8 "0 mousemove 600 20" "2 padaxis righty 1"
radius_check aimdown 0 -1
play mouseback 8 "0 mousemove 600 20" "2 padaxis rightx -1" "3 padaxis rightx 0" "5 mousemove 20 20"
[ "$(hero mouseback pad_aiming)" = "False" ] || fail "moving the mouse did not take the aim back"
is_true "$(hero mouseback target_x) < $(hero mouseback pivot_x) - 45" || fail "the mouse's target is not where it points"
play mousestill 8 "0 mousemove 600 20" "2 padaxis rightx -1" "3 padaxis rightx 0" "5 mousemove 600 20"
[ "$(hero mousestill pad_aiming)" = "True" ] || fail "a mouse event without a move took the aim back"

# Menus on the title screen: the first d-pad press shows the focus on Play,
# the next moves it to Quit; A chooses.
title() {
  local name="$1" steps="$2"
  shift 2
  printf '%s\n' "$@" >"$WORK/$name.txt"
  run_game "$name" --headless -360 --fixed-step --steps "$steps" --seed 3 --input "$WORK/$name.txt" \
    --dump-state "$WORK/$name.json"
}
focused() { json_get "$1.json" "[e['name'] for e in j.get('gui', []) if e['focus']]"; }
title focus 6 "1 padbutton dpdown down" "2 padbutton dpdown up" "3 padbutton dpdown down" "4 padbutton dpdown up"
expect_rc 0
[ "$(focused focus)" = "['quit']" ] || fail "the d-pad did not move the focus to Quit: $(focused focus)"
title stickup 12 "1 padbutton dpdown down" "2 padbutton dpdown up" "3 padaxis lefty 1" "4 padaxis lefty 0" \
  "5 padaxis lefty -1" "6 padaxis lefty 0"
[ "$(focused stickup)" = "['play']" ] || fail "the left stick did not move the focus back to Play: $(focused stickup)"
title choose 8 "1 padbutton dpdown down" "2 padbutton dpdown up" "3 padbutton a down" "4 padbutton a up"
expect_rc 0
[ "$(json_get choose.json "j['mode']")" = "PlayGameMode" ] || fail "A on Play did not start the game"
title quit 50 "1 padbutton dpdown down" "2 padbutton dpdown up" "3 padbutton dpdown down" "4 padbutton dpdown up" \
  "5 padbutton a down"
expect_rc 0
is_true "$(json_get quit.json "j['steps']") < 10" || fail "A on Quit did not end the run"
# The title has no back action: B leaves it alone. Start is not a menu key.
title back 8 "1 padbutton dpdown down" "2 padbutton b down" "3 padbutton b up" "4 padbutton start down"
expect_rc 0
[ "$(json_get back.json "j['mode']")" = "TitleGameMode" ] || fail "B or Start changed the title screen"
[ "$(json_get back.json "j['steps']")" = "8" ] || fail "B or Start ended the run"
# The mouse moving hides the focus again.
title mouse 6 "0 mousemove 5 5" "1 padbutton dpdown down" "2 padbutton dpdown up" "4 mousemove 30 30"
[ "$(focused mouse)" = "[]" ] || fail "moving the mouse left the focus showing: $(focused mouse)"

# A menu opened while the controller is in use shows its focus at once: the
# upgrade screen after level 1 (finished with Ctrl+F1). A buys the first
# upgrade, whose "+" then hides: the focus goes to its "-"; down reaches GO!.
upgrade() {
  local name="$1" steps="$2"
  shift 2
  printf '%s\n' "0 padbutton a down" "1 padbutton a up" "2 keydown CONTROL" "3 keydown F1" "4 keyup F1" \
    "5 keyup CONTROL" "$@" >"$WORK/$name.txt"
  run_game "$name" --headless -360 --play --fixed-step --steps "$steps" --seed 3 --input "$WORK/$name.txt" \
    --dump-state "$WORK/$name.json"
  expect_rc 0
}
upgrade upgrade_open 50
[ "$(json_get upgrade_open.json "j['mode']")" = "UpgradeGameMode" ] || fail "Ctrl+F1 did not lead to the upgrade screen"
[ "$(json_get upgrade_open.json "[e['id'] for e in j['gui'] if e['focus']]")" = "[10]" ] ||
  fail "the upgrade screen did not open with the focus on the first '+'"
upgrade upgrade_buy 62 "60 padbutton a down" "61 padbutton a up"
[ "$(focused upgrade_buy)" = "['minus']" ] || fail "the focus did not move from the hidden '+' to '-': $(focused upgrade_buy)"
upgrade upgrade_go 66 "60 padbutton a down" "61 padbutton a up" "62 padbutton dpdown down" "63 padbutton dpdown up" \
  "64 padbutton a down" "65 padbutton a up"
[ "$(json_get upgrade_go.json "j['mode']")" = "PlayGameMode" ] || fail "A on GO! did not start level 2"
[ "$(json_get upgrade_go.json "j['upgrade_points']")" = "0" ] || fail "the upgrade bought with A was not paid for"

# Bad controller events are refused before anything runs, naming file and line.
printf '0 padbutton a down\n1 padaxis leftx 2\n' >"$WORK/badaxis.txt"
run_game badaxis --headless --fixed-step --steps 5 --input "$WORK/badaxis.txt"
expect_rc 100
expect_line badaxis.err "badaxis.txt:2: expected a stick value from -1 to 1"
printf '0 padbutton select down\n' >"$WORK/badbutton.txt"
run_game badbutton --headless --fixed-step --steps 5 --input "$WORK/badbutton.txt"
expect_rc 100
expect_line badbutton.err "badbutton.txt:1: unknown controller button 'select'"

# Pictures for a person to look at: the title with the focus on Quit, and
# play with the controller's crosshair up and to the right, firing.
mkdir -p pictures
printf '1 padbutton dpdown down\n2 padbutton dpdown up\n3 padbutton dpdown down\n4 padbutton dpdown up\n' \
  >"$WORK/shot1.txt"
run_game shot1 --headless -720 --fixed-step --steps 6 --seed 3 --input "$WORK/shot1.txt" \
  --shot pictures/pad_focus_title.png
expect_rc 0
[ -s pictures/pad_focus_title.png ] || fail "no picture of the focused title"
printf '0 mousemove 100 100\n5 padaxis rightx 0.7\n5 padaxis righty -0.7\n10 padaxis righttrigger 1\n' >"$WORK/shot2.txt"
run_game shot2 --headless -720 --play --fixed-step --steps 30 --seed 3 --input "$WORK/shot2.txt" \
  --shot pictures/pad_aim_play.png
expect_rc 0
[ -s pictures/pad_aim_play.png ] || fail "no picture of the controller's aim"

finish
