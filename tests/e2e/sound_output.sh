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

# Headless without a named driver keeps the dummy one.
SDL_AUDIODRIVER= run_game dummy --headless -360 --fixed-step --steps 5
expect_rc 0
expect_line dummy.out "^BASS init OK, 2d mode$"

finish
