#!/usr/bin/env bash
# First, last, minimum and maximum of every measured column of a bench/soak.sh CSV file, then
# the resident memory per ten samples (minutes 1-10, 11-20 ...: min / mean / max, MiB).
set -euo pipefail
awk -F, '
NR == 1 { for (i = 3; i <= NF; i++) name[i] = $i; columns = NF; next }
{
    for (i = 3; i <= columns; i++) {
        if (NR == 2) { first[i] = $i; low[i] = $i; high[i] = $i }
        last[i] = $i
        if ($i + 0 < low[i] + 0) low[i] = $i
        if ($i + 0 > high[i] + 0) high[i] = $i
    }
    samples++
    # Sample 0 is taken while the first movie opens; the blocks start with sample 1.
    if ($1 > 0) {
        block = int(($1 - 1) / 10)
        mib = $3 / 1024
        if (!(block in count) || mib < blockLow[block]) blockLow[block] = mib
        if (!(block in count) || mib > blockHigh[block]) blockHigh[block] = mib
        blockSum[block] += mib
        count[block]++
        if (block > blocks) blocks = block
    }
}
END {
    printf "%d samples\n%-8s %10s %10s %10s %10s\n", samples, "column", "first", "last", "min", "max"
    for (i = 3; i <= columns; i++)
        printf "%-8s %10s %10s %10s %10s\n", name[i], first[i], last[i], low[i], high[i]
    printf "%-8s RSS MiB min / mean / max\n", "samples"
    for (b = 0; b <= blocks; b++)
        if (b in count)
            printf "%-8s %.1f / %.1f / %.1f\n", (b * 10 + 1) "-" (b * 10 + count[b]), \
                blockLow[b], blockSum[b] / count[b], blockHigh[b]
}' "${1:?usage: soak-summary.sh FILE.csv}"
