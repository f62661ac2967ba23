#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Median time from process start to the main window's first paint, and the
# peak memory of one run. Usage: measure_startup.sh BUILD_DIR [RUNS]
build=${1:?build directory}
runs=${2:-11}
probe="$build/tools/kelvoran_startup_probe"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
i=0
times=""
while [ "$i" -lt "$runs" ]; do
  start=$(date +%s%N)
  shown=$("$probe" 2>/dev/null | cut -d' ' -f1)
  times="$times $(( (shown - start) / 1000 ))"
  i=$((i + 1))
done
echo "start to first paint (us):$times"
echo "$times" | tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {printf "median: %.1f ms\n", a[int((NR+1)/2)]/1000}'
/usr/bin/time -v "$probe" 2>&1 >/dev/null | grep 'Maximum resident'
