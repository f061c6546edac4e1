#!/usr/bin/env bash
# First, last, minimum and maximum of every measured column of a bench/soak.sh CSV file.
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
}
END {
    printf "%d samples\n%-8s %10s %10s %10s %10s\n", samples, "column", "first", "last", "min", "max"
    for (i = 3; i <= columns; i++)
        printf "%-8s %10s %10s %10s %10s\n", name[i], first[i], last[i], low[i], high[i]
}' "${1:?usage: soak-summary.sh FILE.csv}"
