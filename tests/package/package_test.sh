#!/usr/bin/env bash
# Usage: package_test.sh SOURCE_DIR BUILD_DIR
#
# Makes the Debian packages the way a user would (cpack -G DEB), checks their
# control fields, file lists and desktop metadata, unpacks them with dpkg -x
# (nothing is installed on this machine) and starts the unpacked client,
# offscreen, against the unpacked catalogue service on a free loopback port
# until it lists page 1.
#
# The client's hosts are build settings, so the packages come from a build of
# their own, BUILD_DIR/package-test, configured with the test's port and
# without tests.  The port is held by a running service before that build
# starts, so nothing can take it meanwhile; the next run asks for the same
# port again and so only relinks, unless that port has been taken since.
set -euo pipefail

source_dir=$(cd "${1:?usage: package_test.sh SOURCE_DIR BUILD_DIR}" && pwd)
main_build=$(cd "${2:?usage: package_test.sh SOURCE_DIR BUILD_DIR}" && pwd)
pkg_build=$main_build/package-test
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-package-test.XXXXXX")

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
die() {
  echo "FAIL: $*" >&2
  exit 1
}

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

for tool in cmake cpack dpkg dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli \
  systemd-analyze file readelf; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/setup.sh installs it)"
done

# Starts SERVICE on 127.0.0.1:PORT (0: any free port) with a database in the
# work folder; sets service_pid and service_port once it listens.
start_service() {
  local service=$1 port=$2 log=$3 i
  "$service" --bind 127.0.0.1 --port "$port" --db "$work/catalogue.sqlite3" \
    >"$log.out" 2>"$log.err" &
  service_pid=$!
  pids+=("$service_pid")
  for ((i = 0; i < 300; i++)); do
    service_port=$(sed -n 's|^listening on http://127\.0\.0\.1:\([0-9]*\)/$|\1|p' "$log.out")
    [ -n "$service_port" ] && return 0
    kill -0 "$service_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
stop_service() {
  kill "$service_pid" 2>/dev/null || true
  wait "$service_pid" 2>/dev/null || true
}

# --- Hold a port, then make the packages for it -------------------------------
previous_port=$(sed -n 's/^QUORVEL_LISTING_HOST:[A-Z]*=127\.0\.0\.1://p' \
  "$pkg_build/CMakeCache.txt" 2>/dev/null || true)
if ! start_service "$main_build/bin/catalogue-service" "${previous_port:-0}" "$work/holder"; then
  [ -n "$previous_port" ] || die "catalogue-service did not start: $(cat "$work/holder.err")"
  start_service "$main_build/bin/catalogue-service" 0 "$work/holder" ||
    die "catalogue-service did not start: $(cat "$work/holder.err")"
fi
port=$service_port
host=127.0.0.1:$port
echo "package test: port $port"

build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$main_build/CMakeCache.txt")
cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$main_build/CMakeCache.txt")
cmake -S "$source_dir" -B "$pkg_build" -G Ninja -DCMAKE_BUILD_TYPE="${build_type:-RelWithDebInfo}" \
  -DCMAKE_CXX_COMPILER="$cxx" -DQUORVEL_TESTS=OFF \
  -DQUORVEL_LISTING_HOST="$host" -DQUORVEL_SITE_HOST="$host" -DQUORVEL_PARTNER_HOST="$host" \
  >"$work/configure.log" 2>&1 || die "configure of the package build failed: $(cat "$work/configure.log")"
cmake --build "$pkg_build" -j 2 --target quorvel_packaged >"$work/build.log" 2>&1 ||
  die "package build failed: $(tail -40 "$work/build.log")"
rm -f "$pkg_build"/*.deb
(cd "$pkg_build" && cpack -G DEB >"$work/cpack.log" 2>&1) ||
  die "cpack failed: $(tail -40 "$work/cpack.log")"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$pkg_build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
client_deb=$pkg_build/quorvel_${version}-1_${arch}.deb
service_deb=$pkg_build/quorvel-catalogue-service_${version}-1_${arch}.deb
[ -f "$client_deb" ] || die "cpack made no $(basename "$client_deb"): $(ls "$pkg_build"/*.deb)"
[ -f "$service_deb" ] || die "cpack made no $(basename "$service_deb")"
lib_deb=$pkg_build/libquorvelprogressbar1_${version}-1_${arch}.deb
dev_deb=$pkg_build/libquorvelprogressbar-dev_${version}-1_${arch}.deb
designer_deb=$pkg_build/quorvel-progressbar-designer_${version}-1_${arch}.deb
for deb in "$lib_deb" "$dev_deb" "$designer_deb"; do
  [ -f "$deb" ] || die "cpack made no $(basename "$deb"): $(ls "$pkg_build"/*.deb)"
done

# --- Control fields -------------------------------------------------------------
field() { dpkg-deb -f "$1" "$2"; }
expect_field() { # DEB FIELD EXTENDED-REGEX
  local value
  value=$(field "$1" "$2")
  grep -Eq -- "$3" <<<"$value" || fail "$(basename "$1"): $2 is '$value', wanted /$3/"
}
for deb in "$client_deb" "$service_deb"; do
  expect_field "$deb" Version "^${version//./\\.}-1$"
  expect_field "$deb" Architecture "^$arch$"
  expect_field "$deb" Maintainer "<[^>]+@[^>]+>"
  expect_field "$deb" Description "."
  # Worked out by dpkg-shlibdeps, not written by hand.
  expect_field "$deb" Depends "libc6 \(>= "
done
expect_field "$client_deb" Package "^quorvel$"
expect_field "$client_deb" Depends "libqt6widgets6 \(>= "
expect_field "$client_deb" Depends "libqt6webenginewidgets6 \(>= "
expect_field "$client_deb" Depends "libqt6webenginecore6-bin"
expect_field "$client_deb" Depends "xdg-utils"
expect_field "$client_deb" Depends "fonts-wqy-microhei \|"
expect_field "$client_deb" Recommends "gstreamer1\.0-plugins-good"
expect_field "$service_deb" Package "^quorvel-catalogue-service$"
expect_field "$service_deb" Depends "libsqlite3-0 \(>= "
# Debian 13 names it libmicrohttpd12t64 (its 64-bit time_t transition).
expect_field "$service_deb" Depends "libmicrohttpd12(t64)? \(>= "
# The client links the progress bar library of this very build.
expect_field "$client_deb" Depends "libquorvelprogressbar1 \(= ${version//./\\.}-1\)"
expect_field "$lib_deb" Package "^libquorvelprogressbar1$"
expect_field "$lib_deb" Depends "libqt6widgets6 \(>= "
expect_field "$dev_deb" Depends "libquorvelprogressbar1 \(= ${version//./\\.}-1\)"
expect_field "$designer_deb" Depends "libquorvelprogressbar1 \(= ${version//./\\.}-1\)"
for script in postinst prerm postrm; do
  dpkg-deb --ctrl-tarfile "$service_deb" | tar -xO "./$script" >"$work/$script" 2>/dev/null ||
    fail "quorvel-catalogue-service has no $script"
  sh -n "$work/$script" || fail "quorvel-catalogue-service's $script is no valid shell script"
done

# --- File lists -------------------------------------------------------------------
files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6 ($7 == "->" ? " -> " $8 : "")}' | sort; }
icons=$(for s in 16 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${s}x${s}/apps/quorvel.png"; done)
expected_client=$(sort <<EOF
./usr/bin/quorvel -> ../lib/quorvel/quorvel
./usr/lib/quorvel/quorvel
./usr/lib/quorvel/Skin/Skin.she
./usr/lib/quorvel/mp3/mp3.mp3
./usr/share/applications/org.quorvel.Quorvel.desktop
./usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml
$icons
EOF
)
expected_service=$(sort <<EOF
./usr/bin/quorvel-catalogue-service
./usr/lib/systemd/system/quorvel-catalogue-service.service
EOF
)
[ "$(files "$client_deb")" = "$expected_client" ] ||
  fail "quorvel holds other files than planned:$(diff <(echo "$expected_client") <(files "$client_deb"))"
[ "$(files "$service_deb")" = "$expected_service" ] ||
  fail "quorvel-catalogue-service holds other files than planned:$(diff <(echo "$expected_service") <(files "$service_deb"))"
expected_lib=$(sort <<EOF
./usr/lib/libQuorvelProgressBar.so.1 -> libQuorvelProgressBar.so.${version}.0
./usr/lib/libQuorvelProgressBar.so.${version}.0
EOF
)
[ "$(files "$lib_deb")" = "$expected_lib" ] ||
  fail "libquorvelprogressbar1 holds other files than planned:$(diff <(echo "$expected_lib") <(files "$lib_deb"))"
for file in ./usr/include/quorvel/progressbar/progress_bar_widget.h \
  ./usr/lib/cmake/QuorvelProgressBar/QuorvelProgressBarConfig.cmake \
  ./usr/lib/cmake/QuorvelProgressBar/QuorvelProgressBarConfigVersion.cmake \
  ./usr/lib/pkgconfig/quorvel-progressbar.pc \
  "./usr/lib/libQuorvelProgressBar.so -> libQuorvelProgressBar.so.1"; do
  files "$dev_deb" | grep -qxF -- "$file" || fail "libquorvelprogressbar-dev lacks $file"
done
files "$designer_deb" | grep -Eqx '\./usr/lib/[^ ]*/qt6/plugins/designer/[^/ ]+\.so' ||
  fail "quorvel-progressbar-designer holds no Designer plugin: $(files "$designer_deb")"
for deb in "$pkg_build"/*.deb; do
  dpkg-deb -c "$deb" | awk '{print $2}' | grep -qv '^root/root$' &&
    fail "$(basename "$deb") has files not owned by root"
done

# --- Unpacked: metadata, programs ------------------------------------------------
root=$work/root
for deb in "$pkg_build"/*.deb; do
  case $(basename "$deb") in *-dev_* | *-designer_*) continue ;; esac
  dpkg -x "$deb" "$root"
done
client=$root/usr/bin/quorvel
service=$root/usr/bin/quorvel-catalogue-service
for program in "$root/usr/lib/quorvel/quorvel" "$service"; do
  file -L "$program" | grep -q ', stripped' || fail "$program is not stripped"
done
readelf -d "$root/usr/lib/quorvel/quorvel" | grep -q 'R.*PATH.*\$ORIGIN' ||
  fail "the client has no run path relative to its own folder"

desktop-file-validate "$root/usr/share/applications/org.quorvel.Quorvel.desktop" >"$work/desktop.log" 2>&1 ||
  fail "desktop entry: $(cat "$work/desktop.log")"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml" \
  >"$work/metainfo.log" 2>&1 || fail "metainfo: $(cat "$work/metainfo.log")"
# The unit names its program bare (systemd finds it in /usr/bin); point it at
# the unpacked one so that systemd-analyze checks everything else.
unit=$work/quorvel-catalogue-service.service
sed "s|^ExecStart=quorvel-catalogue-service |ExecStart=$service |" \
  "$root/usr/lib/systemd/system/quorvel-catalogue-service.service" >"$unit"
if ! systemd-analyze verify "$unit" >"$work/unit.log" 2>&1 || [ -s "$work/unit.log" ]; then
  fail "systemd unit: $(cat "$work/unit.log")"
fi
grep -Eq '^(DynamicUser=yes|User=[a-z])' "$unit" && ! grep -Eq '^User=(root|0)$' "$unit" ||
  fail "the unit may run the service as root"

# --- The unpacked client lists page 1 from the unpacked service --------------
stop_service
start_service "$service" "$port" "$work/service" ||
  die "the unpacked service did not listen on port $port: $(cat "$work/service.err")"

# Starts the client at PATH and waits until it lists a page, ends or 120 s pass.
run_client() {
  local program=$1 out=$2 pid i
  (cd "$work" && exec env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen "$program") \
    >"$out.out" 2>"$out.err" &
  pid=$!
  pids+=("$pid")
  for ((i = 0; i < 1200; i++)); do
    grep -q '^listed: ' "$out.out" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
run_client "$client" "$work/client"
grep -Eq '^listed: [1-9][0-9]* rows$' "$work/client.out" ||
  fail "the unpacked client listed no page: $(cat "$work/client.out" "$work/client.err")"
grep -q 'GET /adminphp/admin_upload.php?page=1 ' "$work/service.err" ||
  fail "the service saw no request for page 1: $(cat "$work/service.err")"
grep -q 'going on without it' "$work/client.err" &&
  fail "the unpacked client misses its assets: $(cat "$work/client.err")"

# Without its asset folders it says so and still lists page 1.  A sibling of
# its folder, so that its run path still leads to the same libraries.
bare=$root/usr/lib/quorvel-bare
mkdir -p "$bare"
cp "$root/usr/lib/quorvel/quorvel" "$bare/"
run_client "$bare/quorvel" "$work/bare-client"
grep -q 'Skin/Skin.she is missing' "$work/bare-client.err" &&
  grep -q 'mp3/mp3.mp3 is missing' "$work/bare-client.err" ||
  fail "the client without assets did not say so: $(cat "$work/bare-client.err")"
grep -Eq '^listed: [1-9]' "$work/bare-client.out" ||
  fail "the client without assets listed no page: $(cat "$work/bare-client.err")"

# With no display server it says so and ends with a failure status, not a crash.
set +e
(cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 60 "$client") \
  >"$work/nodisplay.out" 2>"$work/nodisplay.err"
status=$?
set -e
[ "$status" -eq 1 ] || fail "without a display the client ended with status $status, wanted 1"
grep -q 'no display server is reachable' "$work/nodisplay.err" ||
  fail "without a display the client did not say why: $(cat "$work/nodisplay.err")"

# --- cmake --install gives the same layout under any prefix -----------------
cmake --install "$pkg_build" --prefix "$work/prefix" --component Client >/dev/null
[ "$(readlink "$work/prefix/bin/quorvel")" = "../lib/quorvel/quorvel" ] &&
  [ -f "$work/prefix/lib/quorvel/Skin/Skin.she" ] && [ -f "$work/prefix/lib/quorvel/mp3/mp3.mp3" ] ||
  fail "cmake --install did not put the client and its assets together: $(cd "$work/prefix" && find .)"

[ "$failures" -eq 0 ] || exit 1
echo "package test: the packages made, checked, unpacked and run"
