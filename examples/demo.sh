#!/usr/bin/env bash
# Builds Quillspur, runs it for a few seconds on examples/jobs.ini in the
# demo directory build/demo, drops an order into its inbox, and shows the
# log (converted from Windows-1252 for the terminal). Exits 0 when the order
# was archived and the log shows it; otherwise says what went wrong.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
# A build directory of its own, without the tests: the demo needs no
# GoogleTest, and the presets' builds keep their settings.
cmake -S "$src" -B "$src/build/demo-build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLSPUR_TESTS=OFF >/dev/null
cmake --build "$src/build/demo-build" --target quillspur

demo=$src/build/demo
rm -rf "$demo"
mkdir -p "$demo/install/htdocs/LORVANTIS/lorvantis_php/log" "$demo/inbox" "$demo/archive"
cp "$src/examples/registry.reg" "$src/examples/jobs.ini" "$demo/"
cd "$demo"

QUILLSPUR_REGISTRY="$demo/registry.reg" "$src/build/demo-build/quillspur" jobs.ini &
monitor=$!
stop() {
  kill "$monitor" 2>/dev/null || true
  wait "$monitor" 2>/dev/null || true
}
trap stop EXIT
sleep 3
echo "42;widgets" >inbox/orders.csv
: >inbox/orders.ready
sleep 4
stop

log=install/htdocs/LORVANTIS/lorvantis_php/log/Quillspur.log
echo "--- $demo/$log"
[ -f "$log" ] || { echo "demo failed: the monitor wrote no log" >&2; exit 1; }
text=$(iconv -f CP1252 -t UTF-8 "$log" | tr -d '\r')
printf '%s\n' "$text"
echo "--- archive: $(ls archive)"
[ -f archive/orders.csv ] ||
  { echo "demo failed: the order did not arrive in archive/" >&2; exit 1; }
for line in "Quillspur gestartet" \
  "Starte Programm: mv inbox/orders.csv archive/ && rm inbox/orders.ready" \
  "Programm beendet (iRC = 0"; do
  [[ $text == *"$line"* ]] ||
    { echo "demo failed: the log lacks \"$line\"" >&2; exit 1; }
done
