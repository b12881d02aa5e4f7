# The game with and without an audio output: silent with one log line when
# there is none, mixing into a file with the disk driver.
source "$(dirname "$0")/lib.sh"

# No usable output: the game starts, runs and ends normally, silent.
SDL_AUDIODRIVER=no-such-driver run_game silent --headless -360 --fixed-step --steps 30
expect_rc 0
expect_line silent.out "^no audio output: the game runs silent$"
expect_line silent.out "^closed all systems$"
[ "$(grep -c 'audio output' "$WORK/silent.out")" = "1" ] || fail "the silent line is not there exactly once"
grep -q "BASS init OK" "$WORK/silent.out" && fail "a silent run claims the output is up"
grep -q "closing BASS" "$WORK/silent.out" && fail "a silent run closes an output it never had"

# The disk driver: the output comes up and the mix is written to the file.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/mix.raw" run_game disk --headless -360 --fixed-step --steps 30
expect_rc 0
expect_line disk.out "^BASS init OK, 2d mode$"
expect_line disk.out "^closing BASS$"
[ -s "$WORK/mix.raw" ] || fail "the disk driver wrote no audio"
# closing BASS comes between closing... and closed all systems.
awk '/^closing\.\.\.$/{a=NR} /^closing BASS$/{b=NR} /^closed all systems$/{c=NR} END{exit !(a<b && b<c)}' "$WORK/disk.out" ||
  fail "the sound engine is not closed inside the shutdown"

# Shooting into a wall with the disk driver: the mix holds the sounds the
# script chose, and stays within full scale.
printf '0 mousemove 600 200\n2 mousedown left\n40 mouseup left\n' >"$WORK/shoot.txt"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/shots.raw" run_game shoot --headless -360 --play --fixed-step \
  --steps 60 --seed 3 --input "$WORK/shoot.txt" --dump-state "$WORK/shoot.json"
expect_rc 0
[ "$(json_get shoot.json "j['sound_events']['hero_shoot']")" -gt 3 ] || fail "the scripted shots were not fired"
[ "$(json_get shoot.json "j['error_message']")" = "" ] || fail "the shipped sound script reports an error"
python3 - "$WORK/shots.raw" <<'PY' || fail "the mix is silent, clipped or not float stereo"
import array, sys
a = array.array('f')
a.frombytes(open(sys.argv[1], 'rb').read())
peak = max(abs(x) for x in a) if a else 0
print("mix peak %.3f over %d frames" % (peak, len(a) // 2))
sys.exit(0 if 0.05 < peak <= 1.0 else 1)
PY

# The stored volumes apply from the start: at a master volume of 0 the same
# shots leave the mix silent, and the channels' own volumes are not changed.
settings="$XDG_CONFIG_HOME/Quillon Games/SKYWARD/settings"
mkdir -p "$(dirname "$settings")"
printf 'volume_master = dword:0\nvolume_music = dword:100\n' >"$settings"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/muted.raw" run_game muted --headless -360 --play --fixed-step \
  --steps 60 --seed 3 --input "$WORK/shoot.txt" --dump-state "$WORK/muted.json"
expect_rc 0
[ "$(json_get muted.json "j['sound_events']['hero_shoot']")" -gt 3 ] || fail "the scripted shots were not fired"
python3 - "$WORK/muted.raw" <<'PY' || fail "the mix is not silent at a stored master volume of 0"
import array, sys
a = array.array('f')
a.frombytes(open(sys.argv[1], 'rb').read())
print("muted mix peak %g over %d frames" % (max(map(abs, a)) if a else 0, len(a) // 2))
sys.exit(0 if a and max(map(abs, a)) == 0 else 1)
PY
rm "$settings"

# Headless without a named driver keeps the dummy one.
SDL_AUDIODRIVER= run_game dummy --headless -360 --fixed-step --steps 5
expect_rc 0
expect_line dummy.out "^BASS init OK, 2d mode$"

# A broken sound script: the error is on screen, the game keeps running,
# and fixing the file clears it at the next check (once a second). The game
# runs from a copy of its folder so the shipped script stays as it is.
mkdir -p "$WORK/bin"
cp "$SKY_BIN_DIR/game" "$WORK/bin/game"
for f in "$SKY_BIN_DIR"/*; do
  [ -e "$WORK/bin/$(basename "$f")" ] || ln -s "$f" "$WORK/bin/$(basename "$f")"
done
rm "$WORK/bin/sound" && cp -r "$SKY_BIN_DIR/sound" "$WORK/bin/sound"
cp "$WORK/bin/sound/sound.nut" "$WORK/good.nut"
printf 'events <- { hero_shoot = function() { return 0 }
' >"$WORK/bin/sound/sound.nut"
"$WORK/bin/game" --headless -360 --play --steps 100000 --dump-state "$WORK/fixed.json" >"$WORK/broken.out" 2>&1 &
pid=$!
wait_for() {  # REGEX: up to 60 s for a log line
  for _ in $(seq 600); do
    grep -Eq -- "$1" "$WORK/broken.out" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
wait_for "^ERROR MESSAGE SET: Error in sound script:" || fail "a broken script put no error on screen"
wait_for "^total start-up time" || fail "the game did not start with a broken script"
sleep 1.5
kill -0 "$pid" 2>/dev/null || fail "the game stopped over a broken sound script"
cp "$WORK/good.nut" "$WORK/bin/sound/sound.nut"
wait_for "^sound script reloaded$" || fail "the fixed script was not reloaded"
kill -TERM "$pid"
wait "$pid"
rc=$?
expect_rc 0
[ "$(json_get fixed.json "j['error_message']")" = "" ] || fail "the error stayed after the fix"
expect_line broken.out "^closed all systems$"

finish
