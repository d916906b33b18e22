#!/usr/bin/env bash
# Cold read times of mivo against the peer STEP reader (OpenCASCADE), file by file:
#
#   bench/cold_read_compare.sh [DIR]      (default DIR: ../shared/data beside the checkout)
#
# For every STEP file under DIR (*.stp, *.step, *.p21): the median of RUNS (default 7) cold runs, each a
# fresh process, of `build/tools/mivo info FILE --json` (its read_seconds: the read alone) and of
# `build/bench/peer_read FILE` (its peer_read_seconds: the peer's ReadFile alone). Then the whole-process time
# (start, read, print, exit) of `mivo info` on the smallest file and of `mivo --help`, median of RUNS.
# ORDER=blocks (the default): for each file, mivo's runs one after the other, then the peer's, so that each
# reader runs after a run of its own, seconds apart from the other's. ORDER=turns: mivo and the peer in turns,
# so that a change of load falls on both alike; but on a virtual machine a process that follows a long or heavy
# one runs slower (mivo's read of nist_ftc_08 took 5.9 ms after the peer's run of 0.2 s, 4.9 ms after its own;
# of nist_ftc_11, 30 ms after the peer's 6 s, 5 ms after its own), so in turns mivo is measured in the wake of
# the peer and the peer in the wake of mivo's few milliseconds.
# Before and after, what fresh memory costs just then (build/bench/fresh_pages, when built): on a virtual machine
# it can change tenfold within minutes, and every page a cold read writes is fresh.
# BUILD=other-build-dir, RUNS=N and ORDER change the defaults. Needs a build of the targets mivo and peer_read;
# without peer_read (no libocct-data-exchange-dev) only mivo's columns are filled.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/../shared/data}"
build="${BUILD:-$root/build}"
runs="${RUNS:-7}"
order="${ORDER:-blocks}"
mivo="$build/tools/mivo"
peer="$build/bench/peer_read"
fresh="$build/bench/fresh_pages"

[ -x "$mivo" ] || { echo "no $mivo: build it first (cmake --build build --target mivo peer_read)" >&2; exit 2; }
[ -d "$dir" ] || { echo "no folder $dir" >&2; exit 2; }
have_peer=1
[ -x "$peer" ] || { have_peer=0; echo "note: no $peer (peer not installed or not built): mivo only" >&2; }

mapfile -t files < <(find "$dir" -type f \( -iname '*.stp' -o -iname '*.step' -o -iname '*.p21' \) | LC_ALL=C sort)
[ ${#files[@]} -gt 0 ] || { echo "no STEP files under $dir" >&2; exit 2; }

# Whole-process times are read from bash's own clock (microseconds), which starts no process of its own.
[ -n "${EPOCHREALTIME:-}" ] || { echo "needs bash 5 or later (EPOCHREALTIME)" >&2; exit 2; }

samples="$(mktemp)"
trap 'rm -f "$samples"' EXIT

echo "cold reads: median of $runs fresh processes per file and reader, in $order; $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
[ -x "$fresh" ] && echo "fresh memory before: $("$fresh")"
# The seconds are taken from the JSON with bash's own pattern matching: a process of its own between two runs
# (python's, to parse the JSON) slowed the next run (mivo's read of nist_ctc_01: 2.28 ms after a python start,
# 1.73 ms after a mivo run, medians of 15).
number='(-?[0-9][0-9.eE+-]*)'
run_mivo() {  # FILE BYTES
  # mivo exits 1 for a file read with errors and still prints its JSON (and read_seconds): that counts.
  local out s=nan
  out=$("$mivo" info "$1" --json 2>/dev/null) || true
  [[ $out =~ \"read_seconds\":\ *$number ]] && s=${BASH_REMATCH[1]}
  printf 'mivo\t%s\t%s\t%s\n' "$1" "$2" "$s" >> "$samples"
}
run_peer() {  # FILE BYTES
  [ "$have_peer" = 1 ] || return 0
  local out s=nan
  out=$("$peer" "$1" 2>/dev/null) || true
  [[ $out =~ \"ok\":\ *true ]] && [[ $out =~ \"peer_read_seconds\":\ *$number ]] && s=${BASH_REMATCH[1]}
  printf 'peer\t%s\t%s\t%s\n' "$1" "$2" "$s" >> "$samples"
}
for f in "${files[@]}"; do
  bytes=$(stat -c %s "$f")
  if [ "$order" = turns ]; then
    for ((i = 0; i < runs; i++)); do run_mivo "$f" "$bytes"; run_peer "$f" "$bytes"; done
  else
    for ((i = 0; i < runs; i++)); do run_mivo "$f" "$bytes"; done
    for ((i = 0; i < runs; i++)); do run_peer "$f" "$bytes"; done
  fi
done

smallest=$(for f in "${files[@]}"; do printf '%s\t%s\n' "$(stat -c %s "$f")" "$f"; done | sort -n | head -1 | cut -f2)
for ((i = 0; i < runs; i++)); do
  t0=${EPOCHREALTIME/[.,]/}; "$mivo" info "$smallest" --json > /dev/null 2>&1 || true; t1=${EPOCHREALTIME/[.,]/}
  printf 'proc_info\t%s\t%s\t%s\n' "$smallest" "$(stat -c %s "$smallest")" "$(( t1 - t0 ))e-6" >> "$samples"
  t0=${EPOCHREALTIME/[.,]/}; "$mivo" --help > /dev/null 2>&1; t1=${EPOCHREALTIME/[.,]/}
  printf 'proc_help\t-\t0\t%s\n' "$(( t1 - t0 ))e-6" >> "$samples"
done

python3 - "$samples" "$dir" <<'EOF'
import math, os, statistics, sys
samples, folder = sys.argv[1], sys.argv[2]
runs = {}
order = []
for line in open(samples):
    kind, path, size, secs = line.rstrip("\n").split("\t")
    key = (kind, path)
    if key not in runs:
        runs[key] = (int(size), [])
        order.append(key)
    runs[key][1].append(float(secs))

def median(values):
    good = [v for v in values if not math.isnan(v)]
    return statistics.median(good) if len(good) == len(values) and good else float("nan")

def fmt(v, spec):
    return format("-", ">" + spec.split(".")[0]) if math.isnan(v) else format(v, spec)

files = [path for kind, path in order if kind == "mivo"]
name_width = max([len("all files (sum of medians)")] + [len(os.path.relpath(p, folder)) for p in files])
head = f"{'file':<{name_width}}  {'MB':>6}  {'mivo s':>9}  {'mivo MB/s':>9}  {'peer s':>9}  {'peer/mivo':>9}"
print(head)
print("-" * len(head))
total_bytes = total_mivo = total_peer = 0.0
for path in files:
    size, values = runs[("mivo", path)]
    m = median(values)
    p = median(runs[("peer", path)][1]) if ("peer", path) in runs else float("nan")
    mb = size / 1e6
    print(f"{os.path.relpath(path, folder):<{name_width}}  {mb:6.2f}  {fmt(m, '9.4f')}  {fmt(mb / m if m > 0 else float('nan'), '9.1f')}"
          f"  {fmt(p, '9.4f')}  {fmt(p / m if m > 0 else float('nan'), '9.1f')}")
    total_bytes += size; total_mivo += m; total_peer += p
mb = total_bytes / 1e6
print("-" * len(head))
print(f"{'all files (sum of medians)':<{name_width}}  {mb:6.2f}  {fmt(total_mivo, '9.4f')}  {fmt(mb / total_mivo, '9.1f')}"
      f"  {fmt(total_peer, '9.4f')}  {fmt(total_peer / total_mivo, '9.1f')}")
print()
for kind, label in (("proc_info", "whole process: mivo info --json on the smallest file"), ("proc_help", "whole process: mivo --help")):
    key = next(k for k in order if k[0] == kind)
    what = f" ({os.path.relpath(key[1], folder)}, {runs[key][0] / 1e3:.0f} kB)" if kind == "proc_info" else ""
    print(f"{label}{what}: median {statistics.median(runs[key][1]) * 1e3:.1f} ms")
EOF
[ -x "$fresh" ] && echo "fresh memory after: $("$fresh")"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
