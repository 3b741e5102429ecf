#!/usr/bin/env bash
# Throughput of `vantrel_cli batch` on 1 000 000 single-phase (T, p) rows of
# R507A (half gas at 20..150 C and 1..5 bar, half liquid at -60..-20 C and
# 20..30 bar), parsing and formatting included, next to the engine's
# in-memory (T, p) state benchmark in the same run.
# Arguments: BUILD_DIR (configured with -DVANTREL_BENCH=ON), SOURCE_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
source="$2"
rows="$(mktemp)"
trap 'rm -f "$rows"' EXIT
awk 'BEGIN { srand(1); print "T,p";
  for (i = 0; i < 1000000; i++)
    if (i % 2) printf "%.3f,%.4f\n", 20 + 130 * rand(), 1 + 4 * rand();
    else printf "%.3f,%.4f\n", -60 + 40 * rand(), 20 + 10 * rand() }' > "$rows"

cd "$source"
# The median wall time of 5 runs of a command, output discarded.
median_wall() {
  python3 - "$@" <<'PY'
import statistics, subprocess, sys, time
walls = []
for _ in range(5):
    t0 = time.monotonic()
    subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
    walls.append(time.monotonic() - t0)
print(statistics.median(walls))
PY
}
run() {  # label, then the command
  local label="$1"; shift
  local wall
  wall="$(median_wall "$@")"
  awk -v l="$label" -v w="$wall" 'BEGIN { printf "%-40s %6.3f s  %8.0f rows/s\n", l, w, 1e6 / w }'
}
run "default properties, --threads 1" "$build/vantrel_cli" batch --in T,p --threads 1 "$rows"
run "--props T,p,h,s,rho, --threads 1" "$build/vantrel_cli" batch --in T,p --props T,p,h,s,rho --threads 1 "$rows"
run "default properties, --threads 2" "$build/vantrel_cli" batch --in T,p --threads 2 "$rows"
run "--props T,p,h,s,rho, --threads 2" "$build/vantrel_cli" batch --in T,p --props T,p,h,s,rho --threads 2 "$rows"
"$build/vantrel_bench" --benchmark_filter='engine_state/R507A_20C_5bar' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true 2>/dev/null | awk '/median/ { printf "%-40s %6.3f us  %8.0f states/s\n", $1, $2 / 1000, 1e9 / $2 }'
