#!/usr/bin/env bash
# Runs one language test: run_script.sh SQ_RUNNER SCRIPT.nut
set -u
sq="$1"
script="$2"
dir="$(dirname "$script")"
name="$(basename "$script" .nut)"
cd "$dir" || exit 1
expected_rc="$(sed -n 's|^// exit: \([0-9]*\)$|\1|p' "$name.nut" | head -n 1)"
expected_rc="${expected_rc:-0}"
read -r -a args <<< "$(sed -n 's|^// args: \(.*\)$|\1|p' "$name.nut" | head -n 1)"
actual="$(mktemp)"
trap 'rm -f "$actual"' EXIT
"$sq" "$name.nut" "${args[@]}" > "$actual" 2>&1
rc=$?
status=0
if ! diff -u "$name.out" "$actual"; then
  echo "output of $name.nut differs from $name.out"
  status=1
fi
if [ "$rc" != "$expected_rc" ]; then
  echo "exit code $rc, expected $expected_rc"
  status=1
fi
exit $status
