# The fatal-error path: message on stderr, "ERROR: " in the log, exit code 100.
source "$(dirname "$0")/lib.sh"

run_game noval --headless --steps
expect_rc 100
expect_line noval.err "^command line: --steps needs a value$"
expect_line noval.out "^ERROR: command line: --steps needs a value$"

run_game nofile --headless --input "$WORK/does-not-exist.txt"
expect_rc 100
expect_line nofile.err "can't open input script"

finish
