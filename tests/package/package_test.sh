#!/usr/bin/env bash
# Usage: package_test.sh SOURCE_DIR BUILD_DIR
#
# Makes the Debian packages the one way there is (dpkg-buildpackage through
# debian/), holds them to lintian (no error, no warning), checks their control
# fields, maintainer scripts and file lists, unpacks them with dpkg -x (nothing
# is installed on this machine) and starts the unpacked client, offscreen,
# against the unpacked catalogue service on a free loopback port until it
# lists page 1.
#
# The client's hosts are build settings, so the packages come from a build of
# their own: a copy of the source tree in BUILD_DIR/package-test/quorvel (the
# packages land beside it), built for the test's port.  The port is held by a
# running service before that build starts, so nothing can take it meanwhile;
# the next run asks for the same port again.  ccache's own folder and settings
# are passed on, since debhelper gives the build a home folder of its own.
set -euo pipefail

source_dir=$(cd "${1:?usage: package_test.sh SOURCE_DIR BUILD_DIR}" && pwd)
main_build=$(cd "${2:?usage: package_test.sh SOURCE_DIR BUILD_DIR}" && pwd)
pkg_dir=$main_build/package-test
tree=$pkg_dir/quorvel
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
# A step that fails where no check expects it (and so ends the test) still
# says which one.
failed_step() {
  local status=$?
  [[ $- != *e* ]] || echo "FAIL: package_test.sh:$1: \"$2\" failed (status $status)" >&2
}
trap 'failed_step "$LINENO" "$BASH_COMMAND"' ERR

for tool in dpkg-buildpackage dh lintian dpkg dpkg-deb dpkg-architecture dpkg-parsechangelog \
  desktop-file-validate appstreamcli systemd-analyze file readelf man cmake nm c++filt convert \
  /usr/lib/qt6/bin/qml; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/setup.sh installs it)"
done

# Starts SERVICE on 127.0.0.1:PORT (0: any free port) with a database in the
# work folder; sets service_pid and service_port once it listens.
start_service() {
  local service=$1 port=$2 log=$3 i
  : >"$log.out"
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
mkdir -p "$pkg_dir"
previous_port=$(cat "$pkg_dir/port" 2>/dev/null || true)
if ! start_service "$main_build/bin/catalogue-service" "${previous_port:-0}" "$work/holder"; then
  [ -n "$previous_port" ] || die "catalogue-service did not start: $(cat "$work/holder.err")"
  start_service "$main_build/bin/catalogue-service" 0 "$work/holder" ||
    die "catalogue-service did not start: $(cat "$work/holder.err")"
fi
port=$service_port
echo "$port" >"$pkg_dir/port"
host=127.0.0.1:$port
echo "package test: port $port"

# The tree as a fresh clone with the uncommitted changes would have it.
rm -rf "$tree" "$pkg_dir"/*.deb "$pkg_dir"/*.changes "$pkg_dir"/*.buildinfo
mkdir -p "$tree"
if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$source_dir" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$f" ] || [ -L "$f" ] && printf '%s\0' "$f"; done |
    tar -cf - --null -T -) | tar -xf - -C "$tree"
else
  tar -cf - -C "$source_dir" --exclude=./.git --exclude='./build*' --exclude='./obj-*' . |
    tar -xf - -C "$tree"
fi

build_env=(QUORVEL_LISTING_HOST="$host" QUORVEL_SITE_HOST="$host" QUORVEL_PARTNER_HOST="$host"
  # No debug symbol packages, and a symbols file that must list every exported
  # symbol: a new one fails the build as a lost one does.
  DEB_BUILD_OPTIONS="noddebs parallel=2" DPKG_GENSYMBOLS_CHECK_LEVEL=4
  # Objects that do not depend on where the tree lies, so that ccache serves
  # other checkouts too.
  DEB_CFLAGS_STRIP="-ffile-prefix-map=$tree=." DEB_CXXFLAGS_STRIP="-ffile-prefix-map=$tree=.")
if command -v ccache >/dev/null; then
  # Settings given only in the environment (as in a fresh system) name no file.
  ccache_config=$(ccache --show-config | sed -n 's|^(\(/[^)]*\)) .*|\1|p' |
    { grep -vx /etc/ccache.conf || true; } | head -n 1)
  build_env+=(CCACHE_DIR="$(ccache --get-config cache_dir)")
  [ -n "$ccache_config" ] && build_env+=(CCACHE_CONFIGPATH="$ccache_config")
fi
started=$SECONDS
if ! (cd "$tree" && env "${build_env[@]}" dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1; then
  grep -q '^dpkg-gensymbols: error' "$work/build.log" &&
    die "the progress bar library exports other symbols than debian/libquorvelprogressbar1.symbols" \
      "lists; if that is meant, update the file:" "$(grep -E '^[-+] ' "$work/build.log")"
  die "dpkg-buildpackage failed: $(tail -40 "$work/build.log")"
fi
echo "package test: packages built in $((SECONDS - started)) s"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$tree"/obj-*/CMakeCache.txt)
deb_version=$(dpkg-parsechangelog -l "$tree/debian/changelog" -S Version)
[ "${deb_version%-*}" = "$version" ] ||
  fail "debian/changelog is at $deb_version, the project at $version: add a changelog entry"
arch=$(dpkg --print-architecture)
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
deb() { echo "$pkg_dir/${1}_${deb_version}_${arch}.deb"; }
client_deb=$(deb quorvel)
service_deb=$(deb quorvel-catalogue-service)
lib_deb=$(deb libquorvelprogressbar1)
dev_deb=$(deb libquorvelprogressbar-dev)
designer_deb=$(deb quorvel-progressbar-designer)
qml_deb=$(deb qml6-module-quorvel-progressbar)
debs=("$client_deb" "$service_deb" "$lib_deb" "$dev_deb" "$designer_deb" "$qml_deb")
for d in "${debs[@]}"; do
  [ -f "$d" ] || die "dpkg-buildpackage made no $(basename "$d"): $(ls "$pkg_dir")"
done

# --- lintian ------------------------------------------------------------------------
lintian --fail-on error,warning "${debs[@]}" >"$work/lintian.log" 2>&1 ||
  fail "lintian: $(cat "$work/lintian.log")"

# --- Control fields and maintainer scripts ------------------------------------------
field() { dpkg-deb -f "$1" "$2"; }
expect_field() { # DEB FIELD EXTENDED-REGEX
  local value
  value=$(field "$1" "$2")
  grep -Eq -- "$3" <<<"$value" || fail "$(basename "$1"): $2 is '$value', wanted /$3/"
}
# Worked out from what the programs link, not written by hand.
expect_field "$client_deb" Depends "libc6 \(>= "
expect_field "$client_deb" Depends "libqt6webenginewidgets6(t64)? \(>= "
expect_field "$client_deb" Depends "libqt6webenginecore6-bin"
expect_field "$client_deb" Depends "xdg-utils"
expect_field "$client_deb" Depends "fonts-wqy-microhei \|"
expect_field "$client_deb" Recommends "gstreamer1\.0-plugins-good"
# Built to ask this machine, the client recommends the bundled service.
expect_field "$client_deb" Recommends "quorvel-catalogue-service"
expect_field "$service_deb" Depends "libsqlite3-0 \(>= "
expect_field "$service_deb" Depends "libmicrohttpd12(t64)? \(>= "
expect_field "$service_deb" Depends "libbrotli1 \(>= "
expect_field "$service_deb" Depends "zlib1g \(>= "
expect_field "$lib_deb" Depends "libqt6widgets6(t64)? \(>= "
expect_field "$dev_deb" Depends "libquorvelprogressbar1 \(= ${deb_version//./\\.}\)"
expect_field "$designer_deb" Depends "libquorvelprogressbar1 \(>= "
expect_field "$qml_deb" Depends "libquorvelprogressbar1 \(>= "
expect_field "$qml_deb" Depends "libqt6quick6(t64)? \(>= "
expect_field "$qml_deb" Depends "qml6-module-qtquick"
# The client depends on the library exactly when it links it.
links_library=no
dpkg-deb --fsys-tarfile "$client_deb" | tar -xO "./usr/lib/$triplet/quorvel/quorvel" >"$work/client.elf"
readelf -d "$work/client.elf" | grep -q 'NEEDED.*libQuorvelProgressBar' && links_library=yes
depends_on_library=no
field "$client_deb" Depends | grep -q libquorvelprogressbar && depends_on_library=yes
[ "$links_library" = "$depends_on_library" ] ||
  fail "quorvel links the progress bar library: $links_library; depends on its package: $depends_on_library"

dpkg-deb --ctrl-tarfile "$service_deb" | tar -xO ./postinst >"$work/postinst"
grep -q "deb-systemd-helper enable 'quorvel-catalogue-service.service'" "$work/postinst" &&
  grep -q "deb-systemd-invoke .*'quorvel-catalogue-service.service'" "$work/postinst" ||
  fail "quorvel-catalogue-service does not enable and start its service: $(cat "$work/postinst")"
# The replicas' template is the operator's to start, one instance a port.
grep -q 'quorvel-catalogue-service@' "$work/postinst" &&
  fail "quorvel-catalogue-service enables or starts the replicas' template: $(cat "$work/postinst")"
dpkg-deb --ctrl-tarfile "$service_deb" | tar -xO ./postrm | grep -q 'rm -rf /var/lib/private/quorvel-catalogue-service' ||
  fail "purging quorvel-catalogue-service leaves its database behind"

# --- File lists -----------------------------------------------------------------------
files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6 ($7 == "->" ? " -> " $8 : "")}' | sort; }
expect_files() { # DEB: the expected list on standard input
  local expected
  expected=$(sed 's/^/.\//' | sort)
  [ "$(files "$1")" = "$expected" ] ||
    fail "$(basename "$1") holds other files than planned:$(diff <(echo "$expected") <(files "$1"))"
}
# What debhelper adds to every package.
docs() {
  printf '%s\n' "usr/share/doc/$1/changelog.Debian.gz" "usr/share/doc/$1/copyright" \
    "usr/share/lintian/overrides/$1"
}
program_dir=usr/lib/$triplet/quorvel
expect_files "$client_deb" <<EOF
usr/bin/quorvel -> ../lib/$triplet/quorvel/quorvel
$program_dir/quorvel
$program_dir/Skin/Skin.she
$program_dir/mp3/mp3.mp3
usr/share/applications/org.quorvel.Quorvel.desktop
usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml
usr/share/man/man1/quorvel.1.gz
$(for s in 16 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x${s}/apps/quorvel.png"; done)
$(docs quorvel)
EOF
# The units lie where this release's debhelper puts units: /lib or /usr/lib.
unit_path=$(files "$service_deb" | grep -E '^\./(usr/)?lib/systemd/system/quorvel-catalogue-service\.service$' || true)
[ -n "$unit_path" ] || fail "quorvel-catalogue-service holds no systemd unit: $(files "$service_deb")"
template_path=${unit_path%.service}@.service
service_doc=usr/share/doc/quorvel-catalogue-service
expect_files "$service_deb" <<EOF
${unit_path#./}
${template_path#./}
usr/bin/quorvel-catalogue-service
usr/share/man/man1/quorvel-catalogue-service.1.gz
$service_doc/deploy.md.gz
$service_doc/examples/push-catalogue
$service_doc/examples/quorvel-catalogue.conf
$(docs quorvel-catalogue-service)
EOF
expect_files "$lib_deb" <<EOF
usr/lib/$triplet/libQuorvelProgressBar.so.1 -> libQuorvelProgressBar.so.$version.0
usr/lib/$triplet/libQuorvelProgressBar.so.$version.0
$(docs libquorvelprogressbar1)
EOF
for file in ./usr/include/quorvel/progressbar/progress_bar_widget.h \
  "./usr/lib/$triplet/cmake/QuorvelProgressBar/QuorvelProgressBarConfig.cmake" \
  "./usr/lib/$triplet/pkgconfig/quorvel-progressbar.pc" \
  "./usr/lib/$triplet/libQuorvelProgressBar.so -> libQuorvelProgressBar.so.1"; do
  files "$dev_deb" | grep -qxF -- "$file" || fail "libquorvelprogressbar-dev lacks $file"
done
files "$designer_deb" | grep -Eqx "\./usr/lib/$triplet/qt6/plugins/designer/[^/ ]+\.so" ||
  fail "quorvel-progressbar-designer holds no Designer plugin: $(files "$designer_deb")"
qml_module=usr/lib/$triplet/qt6/qml/Quorvel/ProgressBar
expect_files "$qml_deb" <<EOF
$qml_module/libquorvel_progressbar_quickplugin.so
$qml_module/qmldir
$qml_module/quorvel_progressbar_quickplugin.qmltypes
$(docs qml6-module-quorvel-progressbar)
EOF

# --- Unpacked: metadata, manual pages, programs ---------------------------------------
root=$work/root
for d in "$client_deb" "$service_deb" "$lib_deb" "$qml_deb"; do dpkg -x "$d" "$root"; done

# The library exports its API: no member of a private class, no private member
# function of an exported one (each exported class keeps its helpers in its
# private class).
library=$root/usr/lib/$triplet/libQuorvelProgressBar.so.1
nm -D --defined-only "$library" | c++filt >"$work/exports"
grep -E 'Private::|FitSurface|ApplyRegion|AnnounceTyped|StartOnFirstUse|FollowParentFont' \
  "$work/exports" >"$work/private-exports" &&
  fail "libQuorvelProgressBar exports private members: $(cat "$work/private-exports")"

# A QML file that imports the module from the unpacked package loads with the
# qml tool and draws the bar as the widget does: the red theme 40 % full, the
# fill's lower band ending at column 80 of the bar, which sits at (10, 10).
cat >"$work/bar.qml" <<EOF
import QtQuick
import Quorvel.ProgressBar

Rectangle {
    id: scene
    width: 220
    height: 44
    color: "#336699"
    ProgressBar { x: 10; y: 10; width: 200; height: 24; value: 40; theme: 7; textStyle: 0 }
    Timer {
        interval: 100
        running: true
        onTriggered: scene.grabToImage(result => {
            result.saveToFile("$work/bar.png")
            Qt.quit()
        })
    }
}
EOF
(cd "$work" && exec env QML_IMPORT_PATH="$root/usr/lib/$triplet/qt6/qml" \
  LD_LIBRARY_PATH="$root/usr/lib/$triplet" QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  timeout 60 /usr/lib/qt6/bin/qml "$work/bar.qml") >"$work/qml.log" 2>&1 ||
  fail "the qml tool did not load the unpacked module: $(cat "$work/qml.log")"
pixel() { convert "$work/bar.png" -format "%[hex:p{$1,$2}]" info: 2>/dev/null | cut -c1-6; }
if [ -f "$work/bar.png" ]; then
  for check in "89 22 CB3939 fill" "90 22 E2B6B6 trough" "5 5 336699 background"; do
    read -r x y want what <<<"$check"
    seen=$(pixel "$x" "$y")
    [ "$seen" = "$want" ] || fail "the QML bar's $what at ($x, $y) is $seen, wanted $want"
  done
else
  fail "the QML bar drew no picture: $(cat "$work/qml.log")"
fi
client=$root/usr/bin/quorvel
service=$root/usr/bin/quorvel-catalogue-service
for program in "$root/$program_dir/quorvel" "$service"; do
  file -L "$program" | grep -q ', stripped' || fail "$program is not stripped"
done

desktop-file-validate "$root/usr/share/applications/org.quorvel.Quorvel.desktop" >"$work/desktop.log" 2>&1 ||
  fail "desktop entry: $(cat "$work/desktop.log")"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml" \
  >"$work/metainfo.log" 2>&1 || fail "metainfo: $(cat "$work/metainfo.log")"
# The unit names its program bare (systemd finds it in /usr/bin); point it at
# the unpacked one so that systemd-analyze checks everything else, the manual
# page it names among it.
# The template is checked as one of its instances.
for unit_file in "$unit_path" "$template_path"; do
  unit=$work/$(basename "${unit_file/@.service/@8741.service}")
  sed "s|^ExecStart=quorvel-catalogue-service |ExecStart=$service |" "$root/$unit_file" >"$unit"
  if ! MANPATH=$root/usr/share/man systemd-analyze verify "$unit" >"$work/unit.log" 2>&1 ||
    [ -s "$work/unit.log" ]; then
    fail "systemd unit $(basename "$unit"): $(cat "$work/unit.log")"
  fi
  grep -Eq '^(DynamicUser=yes|User=[a-z])' "$unit" && ! grep -Eq '^User=(root|0)$' "$unit" ||
    fail "$(basename "$unit") may run the service as root"
done
# lintian has read both manual pages; the service's must still name every
# option its --help names.
service_page=$(zcat "$root/usr/share/man/man1/quorvel-catalogue-service.1.gz" | sed 's/\\-/-/g')
for option in $("$service" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "$option" <<<"$service_page" || fail "quorvel-catalogue-service(1) does not describe $option"
done
grep -qF "http://$host/adminphp/" <(zcat "$root/usr/share/man/man1/quorvel.1.gz") ||
  fail "quorvel(1) does not name the listing address the client was built for"

# --- The unpacked client lists page 1 from the unpacked service --------------
stop_service
start_service "$service" "$port" "$work/service" ||
  die "the unpacked service did not listen on port $port: $(cat "$work/service.err")"

# Starts the client at PATH and waits until it lists a page, ends or 120 s pass.
run_client() {
  local program=$1 out=$2 pid i
  : >"$out.out"
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

# Without its asset folders it says so and still lists page 1.
bare=$root/usr/lib/$triplet/quorvel-bare
mkdir -p "$bare"
cp "$root/$program_dir/quorvel" "$bare/"
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
cmake --install "$tree/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)" --prefix "$work/prefix" \
  --component Client >/dev/null
installed=$(readlink -f "$work/prefix/bin/quorvel")
[ -x "$installed" ] && [ -f "$(dirname "$installed")/Skin/Skin.she" ] &&
  [ -f "$(dirname "$installed")/mp3/mp3.mp3" ] ||
  fail "cmake --install did not put the client and its assets together: $(cd "$work/prefix" && find .)"

[ "$failures" -eq 0 ] || exit 1
echo "package test: the packages made, checked, unpacked and run"
