#!/usr/bin/env bash
# Cold-cache walks: txscan, du -sb and gdu -n (when installed) over TREE, each run after the page,
# dentry and inode caches are dropped (root only). Prints each run's wall time and peak memory.
# Usage: bench/cold_walk.sh TREE [RUNS=5] [TXSCAN=build/release/scanner/txscan]
set -euo pipefail
tree=${1:?usage: cold_walk.sh TREE [RUNS] [TXSCAN]}
runs=${2:-5}
txscan=${3:-build/release/scanner/txscan}
[ "$(id -u)" -eq 0 ] || { echo "dropping the caches needs root" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cold() {
  sync
  echo 3 > /proc/sys/vm/drop_caches
  /usr/bin/time -f "%e s %M KB" "$@" > /dev/null 2>> "$out/time" || true
  tail -n 1 "$out/time"
}

for ((i = 1; i <= runs; ++i)); do
  echo "run $i"
  printf '  txscan  '; cold "$txscan" /o "$out/cold.txf" /s "$tree"
  printf '  du -sb  '; cold du -sb "$tree"
  if command -v gdu > /dev/null; then printf '  gdu -n   '; cold gdu -n -p -x "$tree"; fi
done
