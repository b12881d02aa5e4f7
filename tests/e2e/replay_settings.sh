# Recordings keep the stored settings that change play; a replay uses them
# and leaves the player's own settings file alone.
source "$(dirname "$0")/lib.sh"
cp "$(dirname "$0")/replay_session.txt" "$WORK/session.txt"

# Stored settings: recorded, and replayed over a different settings file
# that is neither read nor written.
mkdir -p "$WORK/a/Quillon Games/SKYWARD" "$WORK/b/Quillon Games/SKYWARD"
printf 'bind_jump = dword:%d\nvolume_music = dword:40\nflags = dword:4\n' $((0x20 << 8 | 0x26)) \
  >"$WORK/a/Quillon Games/SKYWARD/settings"
printf 'bind_jump = dword:87\nvolume_effects = dword:3\n' >"$WORK/b/Quillon Games/SKYWARD/settings"
cp "$WORK/b/Quillon Games/SKYWARD/settings" "$WORK/b.before"
XDG_CONFIG_HOME="$WORK/a" run_game srec --headless -360 --play --fixed-step --steps 120 --seed 12 \
  --input "$WORK/session.txt" --record "$WORK/srec.txt" --dump-state "$WORK/srec.json"
expect_rc 0
expect_line srec.txt "^0 setting bind_jump 0x2026$"
expect_line srec.txt "^0 setting volume_music 40$"
grep -q "setting volume_effects" "$WORK/srec.txt" && fail "a setting the file does not hold was recorded"
[ "$(json_get srec.json "j['settings']")" = "{'bind_jump': 8230, 'volume_music': 40}" ] || fail "settings in the dump"
XDG_CONFIG_HOME="$WORK/b" run_game splay --headless --replay "$WORK/srec.txt" --dump-state "$WORK/splay.json"
expect_rc 0
same_dump srec.json splay.json "replay over other settings"
cmp -s "$WORK/b.before" "$WORK/b/Quillon Games/SKYWARD/settings" || fail "the replay changed the settings file"
XDG_CONFIG_HOME="$WORK/none" run_game snone --headless --replay "$WORK/srec.txt" --dump-state "$WORK/snone.json"
same_dump srec.json snone.json "replay without a settings file"
[ -e "$WORK/none" ] && fail "the replay created a settings folder"

finish
