# The fatal-error path: message on stderr, "ERROR: " in the log, exit code 100.
source "$(dirname "$0")/lib.sh"

run_game noval --headless --steps
expect_rc 100
expect_line noval.err "^command line: --steps needs a value$"
expect_line noval.out "^ERROR: command line: --steps needs a value$"

run_game nofile --headless --input "$WORK/does-not-exist.txt"
expect_rc 100
expect_line nofile.err "can't open input script"

# A folder is not an input script.
run_game dirinput --headless --input "$WORK"
expect_rc 100
expect_line dirinput.err "input script '.*' is not a file"

# A NaN aim in a script is refused before anything runs.
printf '0 mousemove nan nan\n1 mousedown left\n' >"$WORK/nan.txt"
run_game naninput --headless --fixed-step --steps 5 --input "$WORK/nan.txt"
expect_rc 100
expect_line naninput.err "nan.txt:1: bad coordinate"

# Output files that cannot be written fail the run after the normal shutdown.
run_game noshot --headless -360 --fixed-step --steps 2 --shot "$WORK/missing/x.png" --dump-state "$WORK/s.json"
expect_rc 1
expect_line noshot.err "^ERROR: can't save the last frame to '.*/missing/x.png'$"
expect_line noshot.out "^closed all systems$"
[ -s "$WORK/s.json" ] || fail "the state dump beside a failed shot was not written"
run_game nodump --headless -360 --fixed-step --steps 2 --dump-state "$WORK/missing/s.json"
expect_rc 1
expect_line nodump.err "^ERROR: can't write the state dump to '.*/missing/s.json'$"

# Without --headless and without any display the game says how to run
# headless and ends at once, instead of running unseen.
(unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER; timeout 20 "$GAME" -360 >"$WORK/nodisplay.out" 2>"$WORK/nodisplay.err")
rc=$?
expect_rc 0
expect_line nodisplay.err "^No display found: run the game with --headless"

# A driver that cannot give the graphics context the game needs: the log
# says what was asked and what the driver offers before the fatal message.
MESA_GL_VERSION_OVERRIDE=3.0 run_game oldgl --headless -360 --steps 1
expect_rc 100
expect_line oldgl.out "^graphics: asked for an OpenGL 3.3 core context"
expect_line oldgl.out "^graphics: the driver offers"
expect_line oldgl.err "can't create the Direct3D device"

finish
