#!/usr/bin/env bash
# How soon a clipboard manager reads a new copy: Tavlen, and CopyQ when it is installed (Debian's `copyq`),
# each alone on the same private desktop with the same 100 copies 0.1 s apart (tests/desktop/helpers/
# clipboard_copier, a new owner window per copy). The copier notes when each copy's data is first asked for.
#
#   make build && bench/capture-latency.sh [BUILD_DIR] [COPIES]
#
# Prints, per manager: copies read (of COPIES), median and p90 of the time from taking CLIPBOARD to the
# first request for the copy's data. CaptureLatencyBench measures Tavlen's own road up to the stored item.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$here/build/release}" && pwd)
copies=${2:-100}

if [ -z "${TAVLEN_TEST_ENV:-}" ]; then
  exec "$here/scripts/test-env" "${BASH_SOURCE[0]}" "$build" "$copies"
fi

copier="$build/tests/clipboard_copier"
for program in "$build/tavlen" "$copier"; do
  [ -x "$program" ] || { echo "capture-latency: $program is missing (make build)" >&2; exit 1; }
done

# Waits until the manager reads copies at all (up to 10 s).
wait_until_reading() {
  local attempt
  for attempt in $(seq 1 20); do
    local log
    log=$("$copier" --count 1 --prefix "warm-up $attempt " --linger-ms 500 </dev/null)
    if grep -q '^read 1 UTF8_STRING' <<<"$log"; then
      return 0
    fi
  done
  return 1
}

# Reads the copier's log on stdin: the first data request of each copy, in milliseconds.
summarise() {
  local name=$1
  awk '$1 == "read" && $3 != "TARGETS" && $3 != "TIMESTAMP" && !($2 in seen) { seen[$2] = 1; print $4 / 1000 }' |
    sort -n |
    awk -v name="$name" -v copies="$copies" '
      { values[++n] = $1 }
      END {
        if (n == 0) { printf "%-8s read 0 of %d copies\n", name, copies; exit }
        p90 = int(n * 0.9); if (p90 < 1) p90 = 1
        printf "%-8s read %d of %d copies; median %.1f ms, p90 %.1f ms\n", name, n, copies, values[int((n + 1) / 2)], values[p90]
      }'
}

measure() {
  local name=$1
  shift
  "$@" >/dev/null 2>&1 &
  local pid=$!
  if ! wait_until_reading; then
    echo "$name: never read a copy" >&2
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 1
  fi
  "$copier" --count "$copies" --interval-ms 100 --prefix "$name " --linger-ms 1000 </dev/null | summarise "$name"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}

measure tavlen "$build/tavlen"
if command -v copyq >/dev/null; then
  # CopyQ's settings and history go to the private home of the test desktop. Its clipboard monitor starts a
  # while after the server answers; the warm-up copies wait for it.
  measure copyq bash -c 'copyq & for i in $(seq 50); do copyq eval 1 >/dev/null 2>&1 && break; sleep 0.2; done; wait' 
  copyq exit >/dev/null 2>&1 || true
else
  echo "copyq    not installed (apt-get install copyq to compare)"
fi
