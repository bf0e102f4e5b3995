#!/usr/bin/env bash
# Usage: scripts/run-client.sh BUILD_DIR
#
# Starts the bundled catalogue service on the listing host the client was
# built for, opens the client against it, and stops the service when the
# client exits.  Without a display the client runs on a virtual one; once the
# first page is listed a screenshot of the whole screen is written to
# BUILD_DIR/screenshot.png and everything ends.
set -euo pipefail

build=${1:?usage: run-client.sh BUILD_DIR}
build=$(cd "$build" && pwd)
service=$build/bin/catalogue-service
client=$build/bin/quorvel

if [ ! -x "$service" ]; then
  echo "run: $service is missing: the catalogue service is not built (src/service)." >&2
  exit 1
fi
if [ ! -x "$client" ]; then
  echo "run: $client is missing: the client is not built." >&2
  exit 1
fi

# The client asks the host it was built for; the service must listen there.
listing=$(sed -n 's/^QUORVEL_LISTING_HOST:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
listing=${listing:-127.0.0.1:8731}
host=${listing%:*}
port=${listing##*:}
[ "$host" = "$listing" ] && port=80
case $host in
  127.* | localhost) ;;
  *)
    echo "run: the client was built for the listing host $listing, which is not this machine;" >&2
    echo "run: opening it without starting the bundled service." >&2
    exec "$client"
    ;;
esac

answers() { (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; }

if answers; then
  echo "run: something already listens on $host:$port; stop it first (the client must talk to the bundled service)." >&2
  exit 1
fi

pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$service" --port "$port" --bind "$host" --db "$build/catalogue.sqlite3" \
  >"$build/catalogue-service.out" 2>"$build/catalogue-service.log" &
pids+=($!)
for ((i = 0; i < 300; i++)); do
  answers && break
  if ! kill -0 "${pids[0]}" 2>/dev/null; then
    echo "run: catalogue-service stopped at once:" >&2
    cat "$build/catalogue-service.log" >&2
    exit 1
  fi
  sleep 0.1
done
if ! answers; then
  echo "run: catalogue-service did not answer on $host:$port within 30 s." >&2
  exit 1
fi
echo "run: catalogue service on http://$host:$port/ (requests logged in $build/catalogue-service.log)"

if [ -n "${DISPLAY:-}" ]; then
  set +e
  "$client"
  status=$?
  set -e
  exit "$status"
fi

# No display: a virtual one, a screenshot once page 1 is listed, then the end.
display=
for n in $(seq 99 199); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    display=:$n
    break
  fi
done
[ -n "$display" ] || { echo "run: no free X display number for Xvfb." >&2; exit 1; }
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
pids+=($!)
for ((i = 0; i < 100; i++)); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
export DISPLAY=$display
# Room for the client's start-up; it says on standard output when page 1 is listed.
out=$build/client.out
: >"$out"
"$client" >"$out" 2>"$build/client.log" &
client_pid=$!
pids+=("$client_pid")
listed=
for ((i = 0; i < 1200; i++)); do
  if grep -q '^listed: ' "$out"; then
    listed=$(grep -m1 '^listed: ' "$out")
    break
  fi
  if ! kill -0 "$client_pid" 2>/dev/null; then
    echo "run: the client ended before it listed a page:" >&2
    cat "$build/client.log" >&2
    exit 1
  fi
  sleep 0.1
done
if [ -z "$listed" ]; then
  echo "run: the client listed nothing within 120 s." >&2
  exit 1
fi
echo "run: client up on the virtual display $display, $listed"
# The two web pages of the notice window come from the service and paint shortly after.
sleep 4
import -display "$display" -window root "$build/screenshot.png"
echo "run: screenshot of the whole screen written to $build/screenshot.png"
