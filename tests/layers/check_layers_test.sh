#!/usr/bin/env bash
# scripts/check-layers on a copy of the source tree: the tree as it is
# passes, and each include that crosses a ring or points up a layer, planted
# alone, fails it and is named.
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

copy_tree() {
  rm -rf "$work/tree" && mkdir -p "$work/tree/scripts" "$work/tree/tools"
  cp -r "$source_dir/core" "$source_dir/dialogs" "$work/tree/"
  cp -r "$source_dir/tools/jxtool" "$work/tree/tools/"
  cp "$source_dir/scripts/check-layers" "$work/tree/scripts/"
}

copy_tree
if ! "$work/tree/scripts/check-layers" "$work/tree" 2>"$work/out"; then
  echo "the tree as it is fails the check:"; cat "$work/out"; failures=1
fi

# file, planted include
while IFS='|' read -r file include; do
  copy_tree
  printf '#include "%s"\n' "$include" >>"$work/tree/$file"
  if "$work/tree/scripts/check-layers" "$work/tree" 2>"$work/out"; then
    echo "planted $include in $file: the check passed"; failures=1
  elif ! grep -q "^$file:.*$include" "$work/out"; then
    echo "planted $include in $file: the check did not name it:"; cat "$work/out"; failures=1
  fi
done <<'PLANTED'
core/link/host_commands.cpp|platform/dialog.h
core/settings/record_fields.cpp|resources/control_ids.h
core/firmware/upload_checks.h|platform/file_dialog.h
core/firmware/upload_worker.cpp|dialogs/uploader_dialog.h
core/settings/settings_file.cpp|core/link/transport.h
core/link/keyer_transfers.cpp|core/firmware/firmware_image.h
tools/jxtool/jxtool.cpp|dialogs/about_dialog.h
tools/jxtool/jxtool.cpp|resources/control_ids.h
PLANTED

# A system header in an operation file or in jxtool: that belongs in platform/.
for planted in "core/link/transport.cpp <termios.h>" "tools/jxtool/jxtool.cpp <unistd.h>"; do
  read -r file header <<<"$planted"
  copy_tree
  printf '#include %s\n' "$header" >>"$work/tree/$file"
  "$work/tree/scripts/check-layers" "$work/tree" 2>/dev/null && { echo "planted $header in $file: the check passed"; failures=1; }
done

exit $failures
