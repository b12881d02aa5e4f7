# The launcher program headless, driven by scripted clicks, in a copy of the
# bin folder whose "game" is a stand-in that records being started, with a
# settings folder of its own.
source "$SKY_SOURCE_DIR/tests/e2e/lib.sh"
LAUNCHER="$GAME"

BIN="$WORK/bin"
mkdir -p "$BIN" "$WORK/path"
cp "$LAUNCHER" "$BIN/launcher"
cp "$SKY_BIN_DIR/font.tga" "$BIN/"
# The stand-ins run beside the launcher, which does not wait for them: each
# writes its record whole (a temporary file moved into place), and the checks
# wait for it.
cat >"$BIN/game" <<'EOF'
#!/bin/sh
echo "started with $# arguments${1+: $*}" >"$(dirname "$0")/game-started.tmp"
mv "$(dirname "$0")/game-started.tmp" "$(dirname "$0")/game-started"
EOF
chmod +x "$BIN/game"
# The web page opens through xdg-open; the stand-in records the address.
cat >"$WORK/path/xdg-open" <<EOF
#!/bin/sh
echo "\$1" >"$WORK/opened.tmp"
mv "$WORK/opened.tmp" "$WORK/opened"
EOF
chmod +x "$WORK/path/xdg-open"
SETTINGS="$XDG_CONFIG_HOME/Quillon Games/SKYWARD/settings"

# Button centres at 864 x 560 (scale 2): the four options down the left, the
# volumes' - and + down the right, the seed field across, Quit, Visit site
# and Play along the bottom.
OPT1="216 128"
OPT2="216 192"
MASTER_DOWN="472 128"
MUSIC_UP="808 192"
EFFECTS_DOWN="472 256"
SEED="480 384"
QUIT="120 488"
VISIT="432 488"
PLAY="744 488"

# click PASS X Y: move there, press and release on the following passes.
click() {
  echo "$1 mousemove $2 $3"
  echo "$(($1 + 1)) mousedown left"
  echo "$(($1 + 2)) mouseup left"
}

# run NAME STEPS SCRIPT-LINES...: stdout to NAME.out, state to NAME.json, exit code in $rc
run() {
  local name="$1" steps="$2"
  shift 2
  printf '%s\n' "$@" >"$WORK/$name.txt"
  PATH="$WORK/path:$PATH" "$BIN/launcher" --headless --steps "$steps" --input "$WORK/$name.txt" \
    --dump-state "$WORK/$name.json" --shot "$WORK/$name.png" >"$WORK/$name.out" 2>"$WORK/$name.err"
  rc=$?
  [ "$rc" -eq 0 ] || fail "$name: exit code $rc"
}
# keys PASS KEY...: each key pressed and released on its own pass from PASS on.
keys() {
  local pass="$1"
  shift
  for k in "$@"; do
    echo "$pass keydown $k"
    echo "$pass keyup $k"
    pass=$((pass + 1))
  done
}
field() { json_get "$1.json" "j$2"; }
# wait_for FILE TEXT: true once FILE holds TEXT, false after five seconds.
wait_for() {
  for _ in $(seq 50); do
    [ "$(cat "$1" 2>/dev/null)" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# No stored settings: the defaults show, and ending the run stores nothing.
run fresh 3
[ "$(field fresh "['options']")" = "['In window', 'Anti-aliasing: off', 'VSync: on', 'Normal voxels']" ] ||
  fail "default options: $(field fresh "['options']")"
expect_line fresh.out "^app path: '$BIN/'$"
expect_line fresh.out "^wr: -?[0-9]+ -?[0-9]+ -?[0-9]+ -?[0-9]+$"
expect_line fresh.out "^total start-up time: [0-9]+ ms$"
expect_line fresh.out "^resized screen buffer to 864x560$"
expect_line fresh.out "^closing\.\.\.$"
expect_line fresh.out "^closed all systems$"
[ -e "$SETTINGS" ] && fail "a run that ends without Play or Quit stored settings"
python3 - "$WORK/fresh.png" <<'EOF' || fail "the picture is not an 864 x 560 PNG"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", data[16:24]) == (864, 560)
EOF

# No pass at all: still a picture and a clean end.
run zero 0
[ "$(field zero "['buffer']")" = "[864, 560]" ] || fail "no picture without a pass"
# It is the panel as an idle pass draws it, not an empty buffer.
cmp -s "$WORK/zero.png" "$WORK/fresh.png" || fail "the picture without a pass differs from an idle one"

# A click on the very first pass already finds the buttons where they are drawn.
run first 3 "0 mousemove $OPT1" "0 mousedown left" "0 mouseup left"
[ "$(field first "['options'][0]")" = "Fullscreen" ] || fail "a click at pass 0: $(field first "['options'][0]")"

# Relative output names count from where the launcher was started.
mkdir -p "$WORK/here"
(cd "$WORK/here" && "$BIN/launcher" --headless --steps 1 --dump-state here.json --shot here.png >"$WORK/here.out")
[ -s "$WORK/here/here.json" ] && [ -s "$WORK/here/here.png" ] || fail "relative outputs not written where started"
[ -e "$BIN/here.json" ] || [ -e "$BIN/here.png" ] && fail "relative outputs written beside the program"

# Outputs that can't be written fail the run after the normal shutdown.
"$BIN/launcher" --headless --steps 1 --dump-state "$WORK/none/state.json" --shot "$WORK/none/shot.png" \
  >"$WORK/unwritable.out" 2>"$WORK/unwritable.err"
rc=$?
expect_rc 1
expect_line unwritable.err "^ERROR: can't save the last frame to '$WORK/none/shot.png'$"
expect_line unwritable.err "^ERROR: can't write the state dump to '$WORK/none/state.json'$"
expect_line unwritable.out "^closed all systems$"

# Fullscreen toggled twice, then Play: the same flags are stored and the game
# starts without arguments; the launcher closes at once.
run play 40 "$(click 1 $OPT1)" "$(click 5 $OPT1)" "$(click 10 $PLAY)"
wait_for "$BIN/game-started" "started with 0 arguments" || fail "the game was not started alone"
grep -qx "flags = dword:4" "$SETTINGS" || fail "Play stored: $(cat "$SETTINGS")"
[ "$(field play "['passes']")" -lt 40 ] || fail "the launcher stayed open after Play"
[ "$(field play "['options'][0]")" = "In window" ] || fail "toggled twice: $(field play "['options'][0]")"

# Anti-aliasing toggled, then Quit: the new value is stored, no game starts.
rm -f "$BIN/game-started"
run quit 40 "$(click 1 $OPT2)" "$(click 5 $QUIT)"
grep -qx "flags = dword:6" "$SETTINGS" || fail "Quit stored: $(cat "$SETTINGS")"
# A game started by mistake would have written its record by now.
sleep 1
[ -e "$BIN/game-started" ] && fail "Quit started the game"
[ "$(field quit "['options'][1]")" = "Anti-aliasing: on" ] || fail "the option text did not follow"

# Toggled, then the window closed with Alt+F4: nothing is stored.
run close 40 "$(click 1 $OPT1)" "5 keydown ALT" "6 keydown F4"
grep -qx "flags = dword:6" "$SETTINGS" || fail "closing the window stored: $(cat "$SETTINGS")"
[ "$(field close "['passes']")" -lt 40 ] || fail "Alt+F4 did not close the launcher"

# Volumes: master down twice, music up (already full), effects down, then
# Play: all three are stored with the flags, and the next start shows them.
rm -f "$BIN/game-started"
run volumes 40 "$(click 1 $MASTER_DOWN)" "$(click 4 $MASTER_DOWN)" "$(click 7 $MUSIC_UP)" "$(click 10 $EFFECTS_DOWN)" \
  "$(click 13 $PLAY)"
wait_for "$BIN/game-started" "started with 0 arguments" || fail "the game did not start after the volumes"
for line in "volume_master = dword:80" "volume_music = dword:100" "volume_effects = dword:90" "flags = dword:6"; do
  grep -qx "$line" "$SETTINGS" || fail "volumes: no '$line' in $(cat "$SETTINGS")"
done
run volumes_again 2
[ "$(field volumes_again "['volumes']")" = "[80, 100, 90]" ] || fail "stored volumes: $(field volumes_again "['volumes']")"

# A seed typed into the field (a slip taken back with Backspace) goes to the
# game as a decimal --seed.
rm -f "$BIN/game-started"
run seed 40 "$(click 1 $SEED)" "$(keys 4 0 X 1 F F BACK)" "$(click 12 $PLAY)"
wait_for "$BIN/game-started" "started with 2 arguments: --seed 31" ||
  fail "the seed did not reach the game: $(cat "$BIN/game-started" 2>/dev/null)"

# Keys typed before the field is clicked, or after a click elsewhere, type
# nothing; a bad seed says so and starts nothing.
rm -f "$BIN/game-started"
run badseed 40 "$(keys 1 7)" "$(click 3 $SEED)" "$(keys 6 0 X)" "$(click 9 $OPT1)" "$(keys 12 5)" \
  "$(click 14 $PLAY)"
[ "$(field badseed "['seed']")" = "0x" ] || fail "typed seed: '$(field badseed "['seed']")'"
[ "$(field badseed "['typing']")" = "False" ] || fail "the field kept the keyboard after a click elsewhere"
[ "$(field badseed "['status']")" = "Bad seed: 0 to 18446744073709551615, or hex after 0x" ] ||
  fail "bad seed status: '$(field badseed "['status']")'"
[ "$(field badseed "['passes']")" = "40" ] || fail "a bad seed closed the launcher"
sleep 1
[ -e "$BIN/game-started" ] && fail "a bad seed started the game"

# Visit site: the web page opens and the launcher stays.
run visit 12 "$(click 1 $VISIT)"
wait_for "$WORK/opened" "https://quillongames.com/skyward" || fail "the web page was not opened"
[ "$(field visit "['passes']")" = "12" ] || fail "Visit site closed the launcher"

# A game that cannot be started: the reason shows and the launcher stays open.
chmod -x "$BIN/game"
run broken 12 "$(click 1 $PLAY)"
[ "$(field broken "['status']")" = "Can't start the game: Permission denied" ] ||
  fail "status line: '$(field broken "['status']")'"
[ "$(field broken "['passes']")" = "12" ] || fail "the launcher closed after a failed start"
expect_line broken.out "^can't start the game '$BIN/game': Permission denied$"
rm -f "$BIN/game"
run missing 12 "$(click 1 $PLAY)"
[ "$(field missing "['status']")" = "Can't start the game: No such file or directory" ] ||
  fail "status line: '$(field missing "['status']")'"

# A broken font is fatal with its message and exit code 100.
printf 'not a picture' >"$BIN/font.tga"
"$BIN/launcher" --headless --steps 2 >"$WORK/font.out" 2>"$WORK/font.err"
[ $? -eq 100 ] || fail "a broken font did not end the launcher with code 100"
grep -q "can't load font from font.tga" "$WORK/font.err" || fail "no font message: $(cat "$WORK/font.err")"

finish
