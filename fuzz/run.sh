#!/usr/bin/env bash
# Builds the fuzz targets with clang (address + undefined) and runs each for SECONDS (default 60),
# seeded from the test fixtures, the real designs and hand-made listings and machine answers.
# FUZZ_TARGETS picks some of them (emb_file stx_file mac_listing tree_walk comm_runs). Findings
# land in fuzz/out/<target>/.
set -euo pipefail
SECONDS_EACH="${1:-60}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${TAVREN_FUZZ_BUILD:-$ROOT/build-fuzz}"
cmake -G Ninja -S "$ROOT" -B "$BUILD" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTAVREN_FUZZ=ON -DTAVREN_SANITIZE=address -DTAVREN_BENCH=OFF >/dev/null
ninja -C "$BUILD" -j2 fuzz_emb_file fuzz_stx_file fuzz_mac_listing fuzz_tree_walk fuzz_comm_runs fuzz_make_seeds
"$BUILD/bin/fuzz_make_seeds" "$ROOT/fuzz/corpus-emb_file" "$ROOT/fuzz/corpus-stx_file" "$ROOT/tests/fixtures/corpus" \
  "$ROOT/fuzz/corpus-mac_listing" "$ROOT/fuzz/corpus-tree_walk" "$ROOT/fuzz/corpus-comm_runs"
status=0
for target in ${FUZZ_TARGETS:-emb_file stx_file mac_listing tree_walk comm_runs}; do
  mkdir -p "$ROOT/fuzz/out/$target"
  echo "== fuzz_$target for ${SECONDS_EACH}s"
  # -max_len covers the largest real design; findings are written as crash-*/leak-* files.
  if ! (cd "$ROOT/fuzz/out/$target" && "$BUILD/bin/fuzz_$target" -max_total_time="$SECONDS_EACH" -max_len=65536 \
        -print_final_stats=1 "$ROOT/fuzz/corpus-$target" 2>&1 | tail -n 25); then
    status=1
  fi
  if ls "$ROOT/fuzz/out/$target"/crash-* "$ROOT/fuzz/out/$target"/leak-* "$ROOT/fuzz/out/$target"/timeout-* >/dev/null 2>&1; then
    echo "fuzz_$target: findings in fuzz/out/$target"
    status=1
  fi
done
exit $status
