#!/usr/bin/env bash
# jxtool show FILE looks at nothing in the programs' configuration folder
# (traced by strace: no open, stat or mkdir there), while jxtool test, which
# needs the configured port, does.  Skipped (77) without a working strace.
#   offline_files_test.sh JXTOOL SETTINGS.eep
set -uo pipefail
jxtool=$1 settings=$2
command -v strace >/dev/null || { echo "strace is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/keyer-tools/ports"
printf '\x04\x00\x00\x00' >"$XDG_CONFIG_HOME/keyer-tools/keyer-tools.cfg"
ln -s "$work/no-such-device" "$XDG_CONFIG_HOME/keyer-tools/ports/com4"
cp "$settings" "$work/keyer.eep"

# traced NAME ARGS...: runs jxtool under strace into $work/NAME.trace; its exit status.
traced() {
  local name=$1
  shift
  strace -f -qq -e trace=%file -o "$work/$name.trace" "$jxtool" "$@" >"$work/$name.out" 2>&1
}

traced show show "$work/keyer.eep"
status=$?
grep -q '^[0-9]* *execve(' "$work/show.trace" || { echo "strace cannot trace here: skipped"; exit 77; }
failures=0
[ "$status" -eq 0 ] || { echo "jxtool show failed ($status):"; cat "$work/show.out"; failures=1; }
if grep -F "$XDG_CONFIG_HOME" "$work/show.trace"; then
  echo "jxtool show looked in the configuration folder (above)"; failures=1
fi

# The check sees a look when there is one: test reads the port, COM4.
traced test test
grep -q -F "$XDG_CONFIG_HOME/keyer-tools/keyer-tools.cfg" "$work/test.trace" ||
  { echo "jxtool test did not read the configuration file:"; cat "$work/test.out"; failures=1; }
grep -q "openat(.*$XDG_CONFIG_HOME/keyer-tools/ports/com4" "$work/test.trace" ||
  { echo "jxtool test did not open the configured port COM4:"; cat "$work/test.out"; failures=1; }
exit $failures
