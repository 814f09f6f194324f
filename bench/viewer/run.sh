#!/bin/bash
# Generates the varied benchmark sites, times their publication (median of 3) and measures the
# viewer on each in headless Chromium. See README.md.
#   bench/viewer/run.sh BUILD_BIN_DIR WORK_DIR [SIZES...]   (sizes default: 2000 4000 16000)
# BEFORE_CLI=path/to/an/older/pagewell-cli also times that one on the same projects.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "$1" && pwd)
work=$2
shift 2
if [ $# -gt 0 ]; then sizes=("$@"); else sizes=(2000 4000 16000); fi
runs=${RUNS:-3}
mkdir -p "$work"

# Median wall time (ms) and CPU time (ms, user + system) of $runs runs of a command.
time_median() {
  local walls=() cpus=() i
  for ((i = 0; i < runs; i++)); do
    local t0 t1 c
    t0=$(date +%s%N)
    /usr/bin/time -o "$work/.time" -f '%U %S' "$@" > /dev/null 2> /dev/null
    t1=$(date +%s%N)
    c=$(tail -1 "$work/.time")
    walls+=($(( (t1 - t0) / 1000000 )))
    cpus+=($(awk -v u="${c%% *}" -v s="${c##* }" 'BEGIN { printf "%d", (u + s) * 1000 }'))
  done
  printf '%s\n' "${walls[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p" | tr '\n' ' '
  printf '%s\n' "${cpus[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}

for n in "${sizes[@]}"; do
  site="$work/site-$n"
  [ -f "$site/queries.json" ] || "$bin/make_bench_site" --varied "$site" "$n" > /dev/null
  if [ -n "${BEFORE_CLI:-}" ]; then
    read -r wall cpu < <(time_median "$BEFORE_CLI" publish webhelp --quiet "$site/project")
    echo "$n topics: publishing before: wall $wall ms, CPU $cpu ms (median of $runs)"
  fi
  read -r wall cpu < <(time_median "$bin/pagewell-cli" publish webhelp --quiet "$site/project")
  echo "$n topics: publishing now: wall $wall ms, CPU $cpu ms (median of $runs)"
  out="$site/project/build/webhelp"
  echo "$n topics: search.json $(du -b "$out/search.json" | cut -f1) bytes, toc.js $(du -b "$out/toc.js" | cut -f1) bytes," \
       "search/ $(ls "$out/search" | wc -l) files, $(du -sb "$out/search" | cut -f1) bytes"
  node "$here/run.mjs" --site "$out" --queries "$site/queries.json" --runs "$runs" --json "$work/viewer-$n.json"
done
