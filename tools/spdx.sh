#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source, script and CMake file names its licence in its first lines.
#   tools/spdx.sh --check [FILE...]  lists the files without the line, exits 1 if any
#   tools/spdx.sh [FILE...]          adds the line to them (after a shebang)
# Without FILE, every file git tracks or would track (new files included).
set -euo pipefail
cd "$(dirname "$0")/.."
tag='SPDX-License-Identifier: GPL-3.0-or-later'

check=0
if [ "${1:-}" = --check ]; then check=1; shift; fi

# A C-family file takes //, everything else here #.
comment_of() {
  case "$1" in
    *.cpp | *.cc | *.c | *.h | *.hpp) echo '//' ;;
    *) echo '#' ;;
  esac
}

shebang() { head -c 2 "$1" | cmp -s - <(printf '#!'); }

wanted() {
  case "$1" in
    *.cpp | *.cc | *.c | *.h | *.hpp | *.py | *.sh | *.cmake | CMakeLists.txt | */CMakeLists.txt) return 0 ;;
  esac
  # Scripts without an extension, such as .ci/run.
  shebang "$1"
}

if [ $# -eq 0 ]; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard | sort -u)
else
  files=("$@")
fi

missing=0
for f in "${files[@]}"; do
  [ -f "$f" ] && wanted "$f" || continue
  head -n 5 "$f" | grep -qF "$tag" && continue
  missing=1
  if [ "$check" = 1 ]; then
    echo "$f"
    continue
  fi
  line="$(comment_of "$f") $tag"
  if [ ! -s "$f" ]; then
    echo "$line" >"$f"
  elif shebang "$f"; then
    sed -i "1a $line" "$f"
  else
    sed -i "1i $line" "$f"
  fi
  echo "added: $f"
done
[ "$check" = 1 ] && exit "$missing"
exit 0
