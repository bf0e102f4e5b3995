#!/usr/bin/env bash
# Usage: run_wine_test.sh STATE_DIR NAME PROGRAM.exe NEEDS [SCENARIO_SERVER [LISTING_SERVICE]]
#
# Runs one Windows GoogleTest program under the session wine_session.sh
# started, and judges it by the XML report the program writes, never by
# Wine's exit status: the report must be there, fresh, list tests, and none of
# them failed.  NEEDS (comma-separated) may ask for "server", the Linux
# transfer scenario server, whose address goes to the program in
# QUORVEL_SCENARIO_SERVER (QUORVEL_SCENARIO_RELEASE: the file that lets its
# held replies go), and "browser", a fake xdg-open first on PATH that
# writes each address it is given to the file in QUORVEL_OPENED_LOG, and
# "service", the Linux catalogue-service on loopback with its starter
# catalogue, 111 entries a page and one entry more whose first link must never
# reach the system: its host:port goes to the program in
# QUORVEL_LISTING_SERVICE, its request log in QUORVEL_SERVICE_LOG.
set -euo pipefail
state=$1 name=$2 program=$(realpath "$3") needs=${4:-} scenario_server=${5:-}
listing_service=${6:-}
me=run_wine_test
# shellcheck disable=SC1091
. "$state/env"
work="$state/$name"
rm -rf "$work"
mkdir -p "$work"
report="$work/report.xml"
to_windows() { printf 'Z:%s' "${1//\//\\}"; }
# shellcheck source-path=SCRIPTDIR source=detached.sh
. "$(dirname "${BASH_SOURCE[0]}")/detached.sh"

helpers=()
cleanup() {
  local pid
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

if [[ ",$needs," == *,server,* ]]; then
  export QUORVEL_SCENARIO_RELEASE="$work/release"
  "$scenario_server" >"$work/server.out" 2>"$work/server.log" &
  helpers+=("$!")
  for _ in $(seq 100); do
    [ -s "$work/server.out" ] && break
    sleep 0.1
  done
  read -r address refused <"$work/server.out" ||
    { echo "$me: the scenario server did not start" >&2; cat "$work/server.log" >&2; exit 1; }
  export QUORVEL_SCENARIO_SERVER=$address QUORVEL_REFUSING_SERVER=$refused
fi
# The port of the service whose output is $1, once it says it listens.
service_port() {
  local line
  for _ in $(seq 300); do
    line=$(head -n 1 "$1" 2>/dev/null || true)
    if [[ $line =~ ^listening\ on\ http://127\.0\.0\.1:([0-9]+)/ ]]; then
      echo "${BASH_REMATCH[1]}"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
if [[ ",$needs," == *,service,* ]]; then
  db="$work/catalogue.sqlite3"
  # The first start makes the starter catalogue; the import adds to it.
  "$listing_service" --db "$db" --bind 127.0.0.1 --port 0 >"$work/seed.out" 2>"$work/seed.log" &
  seed=$!
  service_port "$work/seed.out" >/dev/null ||
    { echo "$me: the listing service did not start" >&2; cat "$work/seed.log" >&2; exit 1; }
  kill "$seed" && wait "$seed" || true
  printf '测试分类\t危险链接条目\t免费\t2024-01-01 00:00:00\t%s\t900001\n' \
    '本地文件/*/file:///etc/passwd/**/网页/*/http://127.0.0.1:9/x/**/' >"$work/extra.tsv"
  "$listing_service" --db "$db" --import "$work/extra.tsv" >"$work/import.log" 2>&1
  "$listing_service" --db "$db" --page-size 111 --bind 127.0.0.1 --port 0 \
    >"$work/service.out" 2>"$work/service.log" &
  helpers+=("$!")
  port=$(service_port "$work/service.out") ||
    { echo "$me: the listing service did not start" >&2; cat "$work/service.log" >&2; exit 1; }
  export QUORVEL_LISTING_SERVICE="127.0.0.1:$port"
  export QUORVEL_SERVICE_LOG="$work/service.log"
fi
if [[ ",$needs," == *,browser,* ]]; then
  mkdir -p "$work/bin"
  cat >"$work/bin/xdg-open" <<'OPEN'
#!/bin/sh
printf '%s\n' "$1" >>"$QUORVEL_OPENED_LOG"
OPEN
  chmod +x "$work/bin/xdg-open"
  export PATH="$work/bin:$PATH" QUORVEL_OPENED_LOG="$work/opened.log"
fi

status=0
cd "$work"
detached "$work/wine.log" timeout 600 wine "$program" "--gtest_output=xml:$(to_windows "$report")" ||
  status=$?
cat "$work/wine.log"
python3 - "$report" "$status" <<'PY'
import sys, xml.etree.ElementTree as ET
report, status = sys.argv[1], sys.argv[2]
try:
    root = ET.parse(report).getroot()
except (OSError, ET.ParseError) as error:
    sys.exit(f"run_wine_test: no readable report ({error}); wine ended with {status}")
tests, failures, errors = (int(root.get(k, "0")) for k in ("tests", "failures", "errors"))
# Everything this run provides is there, so a skipped test is a fault too.
skipped = sum(int(suite.get("skipped", "0")) for suite in root.iter("testsuite"))
failed = [f"{case.get('classname')}.{case.get('name')}" for case in root.iter("testcase")
          if case.find("failure") is not None or case.find("error") is not None]
print(f"run_wine_test: {tests} tests, {failures} failed, {errors} errors, {skipped} skipped in the report")
for name in failed:
    print(f"run_wine_test: FAILED {name}")
if tests == 0 or failures or errors or skipped or failed:
    sys.exit(1)
PY
