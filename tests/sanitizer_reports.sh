#!/bin/sh
# Fails when any sanitized process of the suite left a report: prints each.
dir=$1
found=0
for report in "$dir"/report.*; do
  [ -e "$report" ] || continue
  echo "== $report"
  cat "$report"
  found=1
done
[ "$found" -eq 0 ] && echo "no sanitizer reports"
exit "$found"
