# The install: `cmake --install` into a temporary prefix (with a space in
# its name), the layout it makes, and the installed game started through its
# starter, first from a writable program folder (everything stays beside the
# game) and then from a read-only one (screenshots and shader cache go to
# the XDG folders, and the log says so).
#
# A read-only program folder: made with chmod a-w, and when the test runs as
# root, for whom permission bits do not stop writing, the game runs as the
# user "nobody" (setpriv), who does not own the installed files.
source "$(dirname "$0")/lib.sh"

BUILD=$(dirname "$SKY_BIN_DIR")
PREFIX="$WORK/pre fix"
chmod 755 "$WORK"
# The read-only folders must not stop the clean-up.
trap 'chmod -R u+w "$WORK" 2>/dev/null; rm -rf "$WORK"' EXIT

# start NAME PROGRAM ARGS...: runs a program (a starter) with the user's
# environment of the run below; stdout to NAME.out, stderr to NAME.err, exit
# code to $rc.
as_user=()
start() {
  local name="$1"
  shift
  "${as_user[@]}" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
  rc=$?
}

# cmake writes the install's manifest into the build folder: a developer's
# own manifest (for make uninstall) is put back afterwards.
MANIFEST="$BUILD/install_manifest.txt"
[ -f "$MANIFEST" ] && cp -p "$MANIFEST" "$WORK/manifest.kept"
cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.out" 2>&1 || fail "cmake --install failed: $(tail -5 "$WORK/install.out")"
cp "$MANIFEST" "$WORK/manifest.txt"
if [ -f "$WORK/manifest.kept" ]; then cp -p "$WORK/manifest.kept" "$MANIFEST"; else rm -f "$MANIFEST"; fi

# --- Layout ---------------------------------------------------------------
LIB="$PREFIX/lib/skyward"
for f in game launcher libskyshaderc.so tiles.bin level.pal font.tga background.dds cube.sh font.sh debug_vis.sh \
  background.sh postfx_none.sh hero_body.png hero_arm.png hero_legs0.png hero_legs2.png heart.png robot1.png \
  barrel.png heart_bonus.png up_point.png sound/sound.nut sound/theme.ogg sound/hero_jump.wav; do
  [ -s "$LIB/$f" ] || fail "not installed: lib/skyward/$f"
done
for d in cache shots; do
  [ -d "$LIB/$d" ] || fail "no lib/skyward/$d folder"
  [ -z "$(ls -A "$LIB/$d" 2>/dev/null)" ] || fail "lib/skyward/$d is not empty: $(ls "$LIB/$d")"
done
for p in game launcher; do [ -x "$LIB/$p" ] || fail "lib/skyward/$p is not executable"; done
for s in skyward skyward-launcher; do [ -x "$PREFIX/bin/$s" ] || fail "no starter bin/$s"; done
# Everything the manifest lists is under the prefix; no test, benchmark or tool.
grep -v "^$PREFIX/" "$WORK/manifest.txt" && fail "installed outside the prefix"
grep -E '/(test_[a-z_]+|bench_[a-z_]+|levelcheck|levelpreview|sq|tilebuild|voxelsprite|iconbuild|sfxsynth)$' \
  "$WORK/manifest.txt" && fail "a test, benchmark or tool was installed"

DESKTOP="$PREFIX/share/applications/skyward.desktop"
if [ -f "$DESKTOP" ]; then
  desktop-file-validate "$DESKTOP" >"$WORK/validate.out" 2>&1 || fail "desktop-file-validate: $(cat "$WORK/validate.out")"
  grep -qx 'Name=SKYWARD' "$DESKTOP" || fail "menu entry: no Name=SKYWARD"
  grep -qx 'Icon=skyward' "$DESKTOP" || fail "menu entry: no Icon=skyward"
  grep -qx 'Terminal=false' "$DESKTOP" || fail "menu entry: not Terminal=false"
  grep -qx 'Categories=Game;ActionGame;' "$DESKTOP" || fail "menu entry: wrong Categories"
  grep -q '^Comment=.' "$DESKTOP" || fail "menu entry: no Comment"
  # The prefix has a space, so the command is quoted.
  grep -qxF "Exec=\"$PREFIX/bin/skyward-launcher\"" "$DESKTOP" || fail "menu entry: $(grep ^Exec "$DESKTOP")"
else
  fail "no share/applications/skyward.desktop"
fi

# A prefix with characters that mean something to the entry's command line:
# quoted, escaped inside the quotes, backslashes doubled for the entry format
# and % doubled; still a valid entry.
ODD="/opt/it's \"b\$c%d"
DESTDIR="$WORK/dest" cmake "-DCMAKE_INSTALL_PREFIX=$ODD" "-DSKY_DESKTOP_IN=$SKY_SOURCE_DIR/dist/skyward.desktop.in" \
  "-DSKY_DESKTOP_OUT=$WORK/skyward.desktop" -P "$SKY_SOURCE_DIR/dist/installDesktop.cmake" >"$WORK/odd.out" 2>&1 ||
  fail "the menu entry for an odd prefix: $(cat "$WORK/odd.out")"
ODD_DESKTOP="$WORK/dest$ODD/share/applications/skyward.desktop"
desktop-file-validate "$ODD_DESKTOP" >"$WORK/odd.validate" 2>&1 || fail "odd prefix: $(cat "$WORK/odd.validate")"
grep -qxF 'Exec="/opt/it'"'"'s \\"b\\$c%%d/bin/skyward-launcher"' "$ODD_DESKTOP" ||
  fail "odd prefix: $(grep ^Exec "$ODD_DESKTOP")"

# Every size: an 8-bit RGBA PNG of the right size, transparent in the top
# corners (the helmet is round) and opaque in the middle.
python3 - "$PREFIX/share/icons/hicolor" <<'EOF' || fail "icons"
import struct, sys, zlib

def rgba_rows(data):
    pos, idat = 8, b""
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + n]
        pos += 12 + n
    raw, rows, prev = zlib.decompress(idat), [], None
    w = struct.unpack(">I", data[16:20])[0]
    stride = w * 4
    for y in range(len(raw) // (stride + 1)):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        up = prev or bytearray(stride)
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b, c = up[i], (up[i - 4] if i >= 4 else 0)
            pred = [0, a, b, (a + b) // 2,
                    a if abs(b - c) <= abs(a - c) and abs(b - c) <= abs(a + b - 2 * c)
                    else (b if abs(a - c) <= abs(a + b - 2 * c) else c)][f] if f < 4 else None
            if f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
            line[i] = (line[i] + pred) & 255
        rows.append(line)
        prev = line
    return rows

for n in (16, 32, 48, 64, 128, 256):
    path = f"{sys.argv[1]}/{n}x{n}/apps/skyward.png"
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    w, h, depth, colour = struct.unpack(">IIBB", data[16:26])
    assert (w, h) == (n, n), f"{path} is {w}x{h}"
    assert (depth, colour) == (8, 6), f"{path} is not 8-bit RGBA"
    rows = rgba_rows(data)
    assert len(rows) == n, path
    assert rows[0][3] == 0 and rows[0][4 * n - 1] == 0, f"{path}: the top corners are not transparent"
    assert rows[n // 2][4 * (n // 2) + 3] == 255, f"{path}: the middle is not opaque"
EOF

# --- A writable program folder: everything stays beside the game ------------
# Started through a link to the starter, from another working folder.
mkdir -p "$WORK/links" "$WORK/cwd"
ln -s "$PREFIX/bin/skyward" "$WORK/links/sky"
printf '3 keydown F12\n4 keyup F12\n' >"$WORK/shot.txt"
chmod 644 "$WORK/shot.txt"
cd "$WORK/cwd"
start writable "$WORK/links/sky" --headless -360 --play --fixed-step --steps 8 --seed 3 --input "$WORK/shot.txt" \
  --dump-state state.json
expect_rc 0
expect_line writable.out "^app path: '$LIB/'$"
expect_line writable.out "^screenshot captured to 'shots/shot[0-9_]+\.png' in [0-9]+ ms$"
grep -q "is not writable" "$WORK/writable.out" && fail "a writable program folder was taken for read-only"
ls "$LIB/shots/"shot*.png >/dev/null 2>&1 || fail "no screenshot in lib/skyward/shots"
[ -f "$LIB/cache/cube.sh.cache" ] || fail "no shader cache in lib/skyward/cache"
[ -s "$WORK/cwd/state.json" ] || fail "--dump-state did not write into the working folder"
rm -f "$LIB/shots/"* "$LIB/cache/"*

# --- A read-only program folder: the user's folders -------------------------
chmod a-w "$LIB" "$LIB/cache" "$LIB/shots"
USERHOME="$WORK/home"
mkdir -p "$USERHOME"
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$USERHOME"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
PICTURES="$USERHOME/My Pictures"
CACHEHOME="$USERHOME/cache home"
export HOME="$USERHOME" XDG_PICTURES_DIR="$PICTURES" XDG_CACHE_HOME="$CACHEHOME" XDG_CONFIG_HOME="$USERHOME/.config"
cd "$USERHOME"
start readonly "$PREFIX/bin/skyward" --headless -360 --play --fixed-step --steps 8 --seed 3 --input "$WORK/shot.txt"
expect_rc 0
expect_line readonly.out "^program folder '$LIB/' is not writable$"
expect_line readonly.out "^screenshots go to '$PICTURES/skyward/'$"
expect_line readonly.out "^shader cache in '$CACHEHOME/skyward/'$"
[ "$(grep -c "^screenshots go to" "$WORK/readonly.out")" -eq 1 ] || fail "the screenshot folder was not logged exactly once"
expect_line readonly.out "^screenshot captured to '$PICTURES/skyward/shot[0-9_]+\.png' in [0-9]+ ms$"
shots=("$PICTURES/skyward/"shot*.png)
[ -f "${shots[0]}" ] || fail "no screenshot in the pictures folder"
head -c 8 "${shots[0]}" 2>/dev/null | od -An -c | grep -q "P   N   G" || fail "the screenshot is not a PNG"
for s in cube font debug_vis background postfx_none; do
  [ -s "$CACHEHOME/skyward/$s.sh.cache" ] || fail "no $s.sh.cache in the cache folder"
done
[ -z "$(ls -A "$LIB/shots")$(ls -A "$LIB/cache")" ] || fail "the read-only program folder was written"

# A second start loads its shaders from that cache.
start again "$PREFIX/bin/skyward" --headless -360 --play --fixed-step --steps 2 --seed 3
expect_rc 0
expect_line again.out "^loaded shader 'cube.sh' from cache$"

# The launcher starter runs the installed launcher, whose game is the
# installed one beside it.
start launcher_run "$PREFIX/bin/skyward-launcher" --headless --steps 1
expect_rc 0
expect_line launcher_run.out "^app path: '$LIB/'$"

finish
