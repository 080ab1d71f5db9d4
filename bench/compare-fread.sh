#!/usr/bin/env bash
# Times the import against R's data.table::fread on the same file in the same
# run, on one thread and on two. Installs R's data.table from Debian's
# packages when it is missing. Usage: bench/compare-fread.sh [FILE]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/common.sh"
install_missing r-cran-data.table
bench="$root/build/bench/trellam-bench"
file="${1:-/tmp/import.txt}"
[ -f "$file" ] || "$bench" generate "$file" --rows 4000000 --columns 2
"$bench" import "$file" --delimiter tab --threads 2 --repeats 7
Rscript -e '
library(data.table)
f <- commandArgs(TRUE)[1]
for (threads in c(1, 2)) {
  setDTthreads(threads)
  x <- fread(f, header = FALSE, sep = "\t", showProgress = FALSE)
  times <- replicate(7, system.time(fread(f, header = FALSE, sep = "\t", showProgress = FALSE))[["elapsed"]])
  cat(sprintf("fread on %d thread(s): median %.3f s, %.0f MB/s\n", threads, median(times),
              file.size(f) / 1e6 / median(times)))
}' "$file"
