#!/usr/bin/env bash
# Publishes the same generated pages (2,000 topics of about 8 KB by default) with
# `pagewell-cli publish webhelp` and with Hugo, alternating, and prints wall time, CPU time and
# peak memory of each run and the ratio of the median wall times. Both tools first publish once
# untimed, so every timed run republishes over its own previous output, as an author does.
# FRESH=1 times first publications instead: each tool's previous output (and Pagewell's kept
# spare) is removed before every run.
#
# Hugo is not a dependency of Pagewell; to compare, install it yourself (Debian: apt-get install
# hugo). Without it this script says so and exits 0.
#
# Usage: bench/compare_hugo.sh [topics] [runs]     (BUILD_DIR defaults to _build/bench, a Release
# build without the window and tests, configured here when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
topics=${1:-2000}
runs=${2:-3}
build=${BUILD_DIR:-_build/bench}
if ! command -v hugo >/dev/null; then
  echo "compare_hugo: hugo is not installed; skipped (apt-get install hugo to compare)"
  exit 0
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAGEWELL_BUILD_UI=OFF -DPAGEWELL_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target pagewell-cli make_bench_site >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/make_bench_site" "$work" "$topics" >/dev/null

# One run: prints "wall user+sys maxrss_kb".
measure() {
  /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" "$@" >/dev/null 2>&1
  awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' "$work/time.txt"
}

: > "$work/pagewell.txt"
: > "$work/hugo.txt"
fresh=${FRESH:-0}
if [ "$fresh" != 1 ]; then
  for ((r = 0; r < 2; r++)); do
    "$build/bin/pagewell-cli" publish webhelp --quiet "$work/project" >/dev/null 2>&1
    hugo --quiet -s "$work/hugo" -d "$work/hugo-out" >/dev/null 2>&1
  done
fi
for ((r = 0; r < runs; r++)); do
  if [ "$fresh" = 1 ]; then rm -rf "$work/project/build"; fi
  measure "$build/bin/pagewell-cli" publish webhelp --quiet "$work/project" >> "$work/pagewell.txt"
  if [ "$fresh" = 1 ]; then rm -rf "$work/hugo-out"; fi
  measure hugo --quiet -s "$work/hugo" -d "$work/hugo-out" >> "$work/hugo.txt"
done

median() { sort -n -k"$2" "$1" | awk -v k="$2" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }
report() {
  printf '%-9s wall %6ss   cpu %6ss   peak %7s KB   (runs: %s)\n' "$1" "$(median "$2" 1)" "$(median "$2" 2)" \
    "$(median "$2" 3)" "$(awk '{ printf "%s%s", sep, $1; sep = " " }' "$2")"
}
echo "topics: $topics, runs: $runs (medians; $(nproc) cores; $([ "$fresh" = 1 ] && echo "first publications" || echo "republishing over the previous output"))"
report pagewell "$work/pagewell.txt"
report hugo "$work/hugo.txt"
awk -v p="$(median "$work/pagewell.txt" 1)" -v h="$(median "$work/hugo.txt" 1)" \
  'BEGIN { printf "ratio pagewell/hugo (wall): %.2f\n", p / h }'
