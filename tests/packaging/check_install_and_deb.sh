#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree (exact file list, desktop entry,
# metainfo, icons, manual pages, the installed programs), then builds the Debian package with
# cpack and checks its fields, dependencies, control area and contents. A program that is not part
# of this build is left out of the checks, with a note.
# Usage: check_install_and_deb.sh <build dir> <source dir> <app id> <version> <has ordwell 0|1>
#        <has ordwell-extractd 0|1> <has ordwell-find 0|1>
set -uo pipefail
build=$1 source=$2 app_id=$3 version=$4 has_app=$5 has_server=$6 has_find=${7:-0}
cmake=${CMAKE:-cmake}
cpack=${CPACK:-cpack}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
note() { echo "NOTE: $*"; }

for tool in desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps groff readelf; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/ordwell-packaging.XXXXXX")
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

# ---- Install into a temporary prefix ------------------------------------------------------
root=$tmp/root
prefix=$root/usr
if ! "$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

expected=(
  "share/applications/$app_id.desktop"
  "share/metainfo/$app_id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$app_id.svg"
  share/man/man1/ordwell.1.gz
  share/man/man1/ordwell-extractd.1.gz
  share/man/man1/ordwell-find.1.gz
  share/doc/ordwell/copyright
  share/doc/ordwell/changelog.gz
)
png_sizes=()
for png in "$source"/packaging/icons/ordwell-*.png; do
  size=${png##*-}
  size=${size%.png}
  png_sizes+=("$size")
  expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
programs=()
[ "$has_app" = 1 ] && programs+=(ordwell) || note "ordwell is not part of this build"
[ "$has_server" = 1 ] && programs+=(ordwell-extractd) || note "ordwell-extractd is not part of this build"
[ "$has_find" = 1 ] && programs+=(ordwell-find) || note "ordwell-find is not part of this build"
for program in "${programs[@]}"; do expected+=("bin/$program"); done
if [ -f "$source/data/transl.dt" ]; then expected+=(share/ordwell/transl.dt)
else note "data/transl.dt does not exist yet"; fi
if [ -f "$source/packaging/ordwell-extractd.service" ]; then expected+=(lib/systemd/user/ordwell-extractd.service)
else note "packaging/ordwell-extractd.service does not exist yet"; fi

# Exactly the expected files: nothing missing, nothing else.
printf '%s\n' "${expected[@]}" | sort >"$tmp/expected.txt"
(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P\n' | sort) >"$tmp/installed.txt"
diff -u "$tmp/expected.txt" "$tmp/installed.txt" >"$tmp/layout.diff" ||
  { cat "$tmp/layout.diff"; fail "installed files differ from the expected layout (- missing, + unexpected)"; }

for size in "${png_sizes[@]}"; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
  [ -f "$png" ] || continue
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -A n -t u1 -j 16 -N 8 "$png")
  width=$(( (w1 << 24) | (w2 << 16) | (w3 << 8) | w4 ))
  height=$(( (h1 << 24) | (h2 << 16) | (h3 << 8) | h4 ))
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "icon for ${size}x${size} is ${width}x${height}"
done

desktop=$prefix/share/applications/$app_id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate $app_id.desktop"
grep -qx 'Exec=ordwell %F' "$desktop" || fail "the desktop entry does not start 'ordwell %F'"
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry does not name the icon $app_id"
# validate-tree also checks that the metainfo's launchable names an installed desktop entry.
appstreamcli validate-tree --no-net "$root" >"$tmp/appstream.log" 2>&1 ||
  { cat "$tmp/appstream.log"; fail "appstreamcli validate-tree (metainfo $app_id.metainfo.xml)"; }
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo does not list release $version"

for page in ordwell ordwell-extractd ordwell-find; do
  warnings=$(gzip -dc "$prefix/share/man/man1/$page.1.gz" | groff -man -ww -z -Tutf8 2>&1)
  [ -z "$warnings" ] || { echo "$warnings"; fail "manual page $page.1 has groff warnings"; }
done

# The installed programs find their libraries, point at no build folder, and start.
for program in "${programs[@]}"; do
  exe=$prefix/bin/$program
  [ -x "$exe" ] || { fail "bin/$program is not executable"; continue; }
  ldd "$exe" | grep 'not found' && fail "bin/$program misses libraries"
  readelf -d "$exe" | grep -E 'RPATH|RUNPATH' && fail "bin/$program keeps a library search path"
done
home=$tmp/home
mkdir -p "$home"
if [ "$has_app" = 1 ]; then
  out=$(HOME=$home XDG_CONFIG_HOME=$home/.config APPDATA=$home/appdata QT_QPA_PLATFORM=offscreen \
        timeout 20 "$prefix/bin/ordwell" --version 2>&1)
  grep -q "Ordwell $version" <<<"$out" || { echo "$out"; fail "installed ordwell --version did not print 'Ordwell $version'"; }
fi
if [ "$has_find" = 1 ]; then
  # The installed search runs without a display and finds a file by its text.
  mkdir -p "$tmp/findme"
  printf 'a needle here\n' >"$tmp/findme/a.txt"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME=$home XDG_CONFIG_HOME=$home/.config \
        XDG_CACHE_HOME=$home/.cache APPDATA=$home/appdata timeout 20 "$prefix/bin/ordwell-find" needle "$tmp/findme" 2>&1)
  [ "$out" = "$tmp/findme/a.txt"$'\n'"1 file found" ] ||
    { echo "$out"; fail "installed ordwell-find did not find the file"; }
fi
if [ "$has_server" = 1 ]; then
  # Started from its installed path as the program starts it: any free port, told on descriptor
  # 3, and descriptor 4 the read end of a pipe the starter holds; the server ends when it closes.
  mkfifo "$tmp/ready" "$tmp/parent"
  timeout 60 "$prefix/bin/ordwell-extractd" --host 127.0.0.1 --port 0 --ready-fd 3 --parent-fd 4 \
    4<"$tmp/parent" 3>"$tmp/ready" 2>"$tmp/server.log" &
  server_pid=$!
  exec 6>"$tmp/parent"
  port=""
  read -r -t 20 port <"$tmp/ready" || true
  greeting=""
  [ -n "$port" ] && greeting=$(timeout 5 bash -c 'exec 3<>"/dev/tcp/127.0.0.1/$1" &&
      printf "GET /tika HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n" >&3 && cat <&3' _ "$port" 2>/dev/null)
  grep -q "Please PUT" <<<"$greeting" ||
    { cat "$tmp/server.log"; fail "installed ordwell-extractd did not report its port and answer GET /tika"; }
  exec 6>&-
  wait "$server_pid"
  status=$?
  server_pid=""
  [ "$status" = 0 ] || { cat "$tmp/server.log"; fail "installed ordwell-extractd did not end with its parent (status $status)"; }
fi

# ---- Debian package -------------------------------------------------------------------------
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/deb" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  echo "FAIL: cpack -G DEB"
  exit 1
fi
debs=("$tmp"/deb/*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { ls -l "$tmp/deb"; echo "FAIL: cpack made no single .deb"; exit 1; }
deb=${debs[0]}
echo "== dpkg-deb -I $(basename "$deb")"
dpkg-deb -I "$deb"
echo "== dpkg-deb -c $(basename "$deb")"
dpkg-deb -c "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ordwell ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
for f in Maintainer Section Architecture Description; do
  [ -n "$(field "$f")" ] || fail "the package has no $f"
done

# Dependencies: what the programs need, each a package this machine knows and has installed
# (shlibdeps took them from its libraries; scripts/install-deps.sh installs the others).
depends=$(field Depends)
dep_names=$(tr ',|' '\n\n' <<<"$depends" | sed -E 's/\(.*\)//; s/^ +//; s/ +$//' | grep -v '^$' | sort -u)
wanted=()
[ "$has_app" = 1 ] && wanted+=(libqt6widgets6 libqt6svg6 libqt6dbus6 libsqlite3-0 libzstd1)
[ ${#programs[@]} -gt 0 ] && wanted+=(libc6)
[ "$has_server" = 1 ] && wanted+=(antiword catdoc djvulibre-bin)
for w in "${wanted[@]}"; do
  grep -qx "$w" <<<"$dep_names" || fail "Depends lacks $w: $depends"
done
grep -qx poppler-utils <<<"$dep_names" && fail "Depends names poppler-utils, which only the benchmark needs"
for d in $dep_names; do
  dpkg-query -W -f='${Status}\n' "$d" 2>/dev/null | grep -q 'install ok installed' ||
    fail "dependency $d is not a package installed here"
done

# No maintainer scripts, no conffiles: removing the package removes every file it brought.
control_members=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's#^\./##' | grep -v '^$' | sort | tr '\n' ' ')
scriptless=1
[ "$control_members" = "control md5sums " ] ||
  { scriptless=0; fail "control area holds more than control and md5sums: $control_members"; }

# Contents: the installed tree under /usr, owned by root, nothing else.
dpkg-deb -c "$deb" >"$tmp/contents.txt"
awk '$2 != "root/root"' "$tmp/contents.txt" | grep . && fail "files not owned by root/root"
awk '$6 !~ /^\.\/(usr(\/.*)?)?$/' "$tmp/contents.txt" | grep . && fail "files outside /usr"
awk '$1 !~ /^d/ { print $6 }' "$tmp/contents.txt" | sed 's#^\./usr/##' | sort >"$tmp/deb-files.txt"
diff -u "$tmp/installed.txt" "$tmp/deb-files.txt" >"$tmp/deb.diff" ||
  { cat "$tmp/deb.diff"; fail "the package's files differ from the installed tree"; }

# Install and purge the package in a private dpkg database: every file comes and goes with it.
# Only a package without maintainer scripts is tried (dpkg would run them inside that folder).
dpkg_root=$tmp/dpkg-root
mkdir -p "$dpkg_root/var/lib/dpkg/info" "$dpkg_root/var/lib/dpkg/updates"
touch "$dpkg_root/var/lib/dpkg/status"
dpkg_in_root() {
  PATH=$PATH:/usr/sbin:/sbin dpkg --root="$dpkg_root" --log=/dev/null --force-not-root --force-depends \
    "$@" >>"$tmp/dpkg.log" 2>&1
}
if [ "$scriptless" = 0 ]; then
  note "install and purge not tried: the package has maintainer scripts"
elif dpkg_in_root --install "$deb"; then
  (cd "$dpkg_root/usr" && find . \( -type f -o -type l \) -printf '%P\n' | sort) >"$tmp/dpkg-files.txt"
  diff -u "$tmp/installed.txt" "$tmp/dpkg-files.txt" ||
    fail "dpkg installed other files than the package lists"
  if dpkg_in_root --purge ordwell; then
    [ -e "$dpkg_root/usr" ] && { find "$dpkg_root/usr"; fail "purging the package left files or folders behind"; }
  else
    cat "$tmp/dpkg.log"; fail "dpkg --purge ordwell"
  fi
else
  cat "$tmp/dpkg.log"; fail "dpkg --install into a private database"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "packaging checks passed"
