#!/usr/bin/env bash
# End-to-end pictures of the real game, headless: a played level with normal
# and with fast voxels, and the elevator ride. Each run must save its last
# frame as a PNG of the back-buffer height with a varied picture in it.
source "$SKY_SOURCE_DIR/tests/e2e/lib.sh"

# png_check FILE: width, height and the number of distinct colours in a sample
png_check() {
  python3 - "$WORK/$1" <<'PY'
import struct, sys, zlib
d = open(sys.argv[1], 'rb').read()
assert d[:8] == b'\x89PNG\r\n\x1a\n'
w, h = struct.unpack('>II', d[16:24])
i, idat = 8, b''
while i < len(d):
    n = struct.unpack('>I', d[i:i + 4])[0]
    if d[i + 4:i + 8] == b'IDAT':
        idat += d[i + 8:i + 8 + n]
    i += 12 + n
raw = zlib.decompress(idat)
# Distinct 4-byte groups in the filtered rows are a fair count of colours.
print(w, h, len({raw[k:k + 4] for k in range(1, len(raw) - 4, 401)}))
PY
}

expect_picture() {  # FILE [WIDTH HEIGHT]
  local info want_w="${2:-1280}" want_h="${3:-720}"
  info=$(png_check "$1") || { fail "$1 is not a readable PNG"; return; }
  set -- $info
  [ "$2" -eq "$want_h" ] || fail "picture height $2, expected $want_h"
  [ "$1" -eq "$want_w" ] || fail "picture width $1, expected $want_w"
  [ "$3" -ge 50 ] || fail "only $3 distinct colours: not a level picture"
}

run_game level --headless --play --seed 7 --fixed-step --steps 60 -720 --shot "$WORK/level.png"
expect_rc 0
expect_line level.out "^3d pixel scale: 6$"
expect_line level.out "^voxel PNG from 'hero_body.png' ok$"
expect_line level.out "^loaded DDS texture '.*background.dds'$"
expect_picture level.png

# Fast voxels come from the stored settings (flags bit 3).
mkdir -p "$XDG_CONFIG_HOME/Quillon Games/SKYWARD"
echo "flags = dword:8" >"$XDG_CONFIG_HOME/Quillon Games/SKYWARD/settings"
run_game fast --headless --play --seed 7 --fixed-step --steps 60 -720 --shot "$WORK/fast.png"
expect_rc 0
expect_picture fast.png
cmp -s "$WORK/level.png" "$WORK/fast.png" && fail "fast voxels drew the same picture"
rm -f "$XDG_CONFIG_HOME/Quillon Games/SKYWARD/settings"

# Ctrl+F1 finishes the level: the ride starts and the shaft is drawn.
printf '3 keydown CTRL\n3 keydown F1\n4 keyup F1\n4 keyup CTRL\n' >"$WORK/elevator.txt"
run_game elevator --headless --play --seed 7 --fixed-step --steps 12 -720 --input "$WORK/elevator.txt" \
  --shot "$WORK/elevator.png" --dump-state "$WORK/elevator.json"
expect_rc 0
[ "$(json_get elevator.json "j['mode']")" = "ElevatorGameMode" ] || fail "not riding the elevator"
expect_picture elevator.png

# Walking right into the robots of seed 2 costs the hero its hearts: the
# game-over screen shows over the level.
printf '1 keydown D\n' >"$WORK/die.txt"
run_game gameover --headless --play --seed 2 --fixed-step --steps 150 -360 --input "$WORK/die.txt" \
  --shot "$WORK/gameover.png" --dump-state "$WORK/gameover.json"
expect_rc 0
[ "$(json_get gameover.json "j['mode']")" = "GameOverMode" ] || fail "the hero did not die"
[ "$(json_get gameover.json "j['sound_events']['game_over']")" = "1" ] || fail "no game_over event"
expect_picture gameover.png 640 360

# A very wide screen panned through the level in the viewer (F5; the pointer
# above, then right of the middle): the level cache keeps within the
# device's table of buffers, where it once ran out.
{
  printf '2 keydown F5\n3 keyup F5\n'
  for s in 4 5 6; do echo "$s mousemove 2880 480"; done
  for s in $(seq 7 50); do echo "$s mousemove 2960 540"; done
} >"$WORK/pan.txt"
run_game wide --headless --size 5760x1080 --play --seed 7 --fixed-step --steps 52 --input "$WORK/pan.txt" \
  --shot "$WORK/wide.png" --dump-state "$WORK/wide.json"
expect_rc 0
grep -q "reached MAX_BUFFERS" "$WORK/wide.out" && fail "the wide view ran out of buffers"
[ "$(json_get wide.json "j['mode']")" = "ViewLevelMode" ] || fail "not in the level viewer"
expect_picture wide.png 5760 1080

finish
