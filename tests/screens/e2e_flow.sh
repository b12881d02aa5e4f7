# The whole game around play, headless at one window size (the second
# argument, e.g. 1280x720), with clicks aimed through the state dump's "gui"
# list: each stage runs the input script so far, dumps the layout and adds
# the next clicks. Title -> Play -> ride -> upgrades (buy Fire rate) -> GO! ->
# level 2 -> ride -> end screen -> Restart; Quit on both menus; death -> game
# over -> title. Pictures of the four screens are kept for review in
# $SKY_PICTURES_DIR (default: pictures/ beside the test). A third argument
# "pictures" runs only the stages the pictures need.
source "$SKY_SOURCE_DIR/tests/e2e/lib.sh"
SIZE="$2"
FULL=true
[ "${3:-}" = pictures ] && FULL=false
PICS="${SKY_PICTURES_DIR:-$PWD/pictures}"
mkdir -p "$PICS"

SCRIPT="$WORK/flow.in"
: >"$SCRIPT"
add() { printf '%s\n' "$@" >>"$SCRIPT"; }

# stage NAME STEPS [ARGS...]: the script so far from a fresh start at the title.
stage() {
  local name="$1" steps="$2"
  shift 2
  run_game "$name" --headless --size "$SIZE" --fixed-step --seed 7 --steps "$steps" --input "$SCRIPT" \
    --dump-state "$WORK/$name.json" "$@"
  expect_rc 0
}

# click STEP X Y: the pointer moves there, then the left button goes down and up.
click() { add "$1 mousemove $2 $3" "$(($1 + 1)) mousedown left" "$(($1 + 2)) mouseup left"; }
# finish_level STEP: Ctrl+F1, as if the hero had reached the elevator.
finish_level() { add "$1 keydown CONTROL" "$1 keydown F1" "$(($1 + 1)) keyup F1" "$(($1 + 1)) keyup CONTROL"; }

# quit_from DUMP STEP: in a run of its own, Quit on the screen of that dump is
# clicked at STEP; the run ends after the release through the normal shutdown,
# still on that screen.
quit_from() {
  cp "$SCRIPT" "$WORK/keep.in"
  click "$2" $(centre "$1" quit)
  stage "quit_$1" 500
  expect_line "quit_$1.out" "^closed all systems$"
  expect_json "quit_$1" "j['steps']" $(($2 + 3))
  expect_json "quit_$1" "j['mode']" "$(json_get "$1.json" "j['mode']")"
  cp "$WORK/keep.in" "$SCRIPT"
}

# Start-up ends at the title.
stage title 3 --shot "$PICS/title_$SIZE.png"
expect_json title "j['mode']" TitleGameMode
expect_json title "j['sound_events']['title_screen']" 1
expect_json title "[e['text'] for e in j['gui'] if e['name'] == '.normal']" "['Play', 'Quit']"

$FULL && quit_from title 3

# Play, then finish level 1: the ride ends at the upgrade screen.
click 3 $(centre title play)
finish_level 10
stage ride1 90
expect_json ride1 "j['mode']" UpgradeGameMode
expect_json ride1 "j['sound_events']['new_game']" 1
expect_json ride1 "j['level_number']" 2
expect_json ride1 "j['upgrade_points']" 5
expect_json ride1 "[e['text'] for e in j['gui'] if e['name'] == 'name']" "['Health', 'Fire rate', 'Wall destruction']"
expect_json ride1 "[e['text'] for e in j['gui'] if e['name'] == 'points']" "['05']"

# Buy Fire rate (the second row's "+"): two points are left.
click 90 $(centre ride1 plus 1)
stage bought 94 --shot "$PICS/upgrade_$SIZE.png"
expect_json bought "[e['text'] for e in j['gui'] if e['name'] == 'points']" "['02']"
expect_json bought "len([e for e in j['gui'] if e['name'] == 'plus' and e['visible']])" 0
expect_json bought "len([e for e in j['gui'] if e['name'] == 'minus' and e['visible']])" 1
expect_json bought "j['upgrade_points']" 5

# GO!: level 2 with the faster gun and the points spent.
click 94 $(centre bought go)
if $FULL; then
  stage level2 100
  expect_json level2 "j['mode']" PlayGameMode
  expect_json level2 "j['level_number']" 2
  expect_json level2 "j['fire_rate']" 11
  expect_json level2 "j['wall_destruction']" 2
  expect_json level2 "j['upgrade_points']" 2
  expect_json level2 "j['sound_events']['upgrade_accept']" 1
  expect_json level2 "'gui' in j" False
fi

# Finish level 2: the ride ends at the end of the demo.
finish_level 102
stage end 190 --shot "$PICS/end_$SIZE.png"
expect_json end "j['mode']" EndDemoGameMode
expect_json end "j['level_number']" 3
expect_json end "j['upgrade_points']" 7
expect_json end "j['sound_events']['end_demo_screen']" 1
expect_json end "j['sound_events']['upgrade_screen']" 1

if $FULL; then
  quit_from end 190

  # Restart: level 1 of a new game, everything reset.
  click 190 $(centre end restart)
  stage restart 196
  expect_json restart "j['mode']" PlayGameMode
  expect_json restart "j['level_number']" 1
  expect_json restart "j['upgrade_points']" 0
  expect_json restart "j['fire_rate']" 10
  expect_json restart "j['hero']['health']" 4
  expect_json restart "j['sound_events']['new_game']" 1
  expect_json restart "j['sound_events']['start_level']" 4
fi

# Walking right into the robots of seed 2 costs the hero its hearts; after
# the delay a released Space returns to the title.
printf '1 keydown D\n' >"$WORK/die.in"
run_game dead --headless --size "$SIZE" --play --fixed-step --seed 2 --steps 150 --input "$WORK/die.in" \
  --dump-state "$WORK/dead.json" --shot "$PICS/gameover_$SIZE.png"
expect_rc 0
expect_json dead "j['mode']" GameOverMode
expect_json dead "j['sound_events']['game_over']" 1
if ! $FULL; then
  finish
  exit 0
fi
printf '1 keydown D\n152 keydown SPACE\n153 keyup SPACE\n' >"$WORK/die.in"
run_game back --headless --size "$SIZE" --play --fixed-step --seed 2 --steps 156 --input "$WORK/die.in" \
  --dump-state "$WORK/back.json"
expect_rc 0
expect_json back "j['mode']" TitleGameMode
expect_json back "j['sound_events']['title_screen']" 1

finish
