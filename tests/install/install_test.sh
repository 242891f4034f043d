#!/usr/bin/env bash
# The installed Salute: the layout of "cmake --install", the launcher run
# without a display (it renders a short video from a per-user folder), its
# refusals, and the Debian package unpacked into a temporary root and run
# the same way. Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { "$@" || fail "$*"; }

# The licence where packagers look under the installed PREFIX: MIT as the
# AppStream project licence, and Expat for every file in the Debian copyright
# file, its text word for word the LICENSE's.
licence_declared() {
  local prefix=$1 copyright=$1/share/doc/salute/copyright
  grep -q '<project_license>MIT</project_license>' "$prefix/share/metainfo/org.example.salute.metainfo.xml" &&
    [ "$(sed -n '/^Files: \*$/,/^License:/p' "$copyright" | tail -n1)" = "License: Expat" ] &&
    diff <(sed -n '/^Permission/,$p' "$source/LICENSE") \
      <(sed -n '/^License: Expat$/,$p' "$copyright" | sed -n '/^ Permission/,$p' | sed 's/^ //; s/^\.$//') >&2
}

# Runs the launcher under PREFIX with no display and a home of its own.
run_headless() {
  local prefix=$1 home=$2
  shift 2
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME= "$prefix/bin/salute" "$@"
}

# A video with an H.264 picture and an AAC sound stream.
is_video() {
  [ "$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$1" | sort | tr '\n' ' ')" = "aac h264 " ]
}

# ---- cmake --install ----------------------------------------------------------
prefix=$work/install/usr
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/salute bin/salute-capture libexec/salute/salute; do check test -x "$prefix/$f"; done
for f in salute/90secver.ogg applications/salute.desktop icons/hicolor/scalable/apps/salute.svg; do check test -f "$prefix/share/$f"; done
check test "$(ls "$prefix/share/salute/textures" | grep -c '\.jpg$')" = 48
check grep -q '^Exec=salute$' "$prefix/share/applications/salute.desktop"
check grep -q '^Icon=salute$' "$prefix/share/applications/salute.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.salute.metainfo.xml" >"$work/appstream.log" ||
  fail "appstreamcli: $(cat "$work/appstream.log")"
licence_declared "$prefix" || fail "the installed licence declarations"
if command -v desktop-file-validate >/dev/null; then
  check desktop-file-validate "$prefix/share/applications/salute.desktop"
fi

home=$work/home
run_headless "$prefix" "$home" --to 0.5 --fps 10 --quiet 2>"$work/launcher.err" || fail "launcher exit $?: $(cat "$work/launcher.err")"
folder=$home/.local/share/salute
check test -L "$folder/90secver.ogg"
check test -L "$folder/textures"
check test "$(stat -c %a "$folder")" = 700
check grep -q "salute.mp4" "$work/launcher.err"
is_video "$folder/salute.mp4" || fail "the launcher's video has no H.264 and AAC streams"
# The program wrote its log in the user's folder, not beside the data.
check test -f "$folder/log.txt"
check test ! -e "$prefix/share/salute/log.txt"

# A picture of the user's own under the same name is kept.
rm "$folder/textures"
mkdir "$folder/textures"
run_headless "$prefix" "$home" --to 0.2 --fps 10 --quiet 2>/dev/null || true
check test -d "$folder/textures" -a ! -L "$folder/textures"
rmdir "$folder/textures"

# Refusals: options with a display, no place to run, missing data.
if env DISPLAY=:99 HOME="$home" "$prefix/bin/salute" --to 1 2>"$work/err"; then fail "options accepted with a display"; fi
check grep -q "takes no options" "$work/err"
if env -u DISPLAY -u WAYLAND_DISPLAY -u HOME -u XDG_DATA_HOME "$prefix/bin/salute" 2>"$work/err"; then fail "ran without HOME"; fi
check grep -q "HOME" "$work/err"
# A per-user folder that is a link (to somewhere else) is not used.
mkdir -p "$work/linkhome/.local/share" "$work/elsewhere"
ln -s "$work/elsewhere" "$work/linkhome/.local/share/salute"
if run_headless "$prefix" "$work/linkhome" 2>"$work/err"; then fail "ran in a linked folder"; fi
check grep -q "not a link" "$work/err"
check test -z "$(ls "$work/elsewhere")"
mv "$prefix/share/salute" "$prefix/share/salute.away"
if run_headless "$prefix" "$home" 2>"$work/err"; then fail "ran without its data"; fi
check grep -q "data is missing" "$work/err"
mv "$prefix/share/salute.away" "$prefix/share/salute"

# The capture tool finds the installed data by itself.
(cd "$work" && "$prefix/bin/salute-capture" --video direct.mp4 --to 0.3 --fps 10 --quiet) || fail "installed salute-capture"
is_video "$work/direct.mp4" || fail "the installed salute-capture's video"

# ---- the Debian package -------------------------------------------------------
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || fail "cpack: $(tail -5 "$work/cpack.log")"
deb=$(ls "$work"/package/salute_*.deb 2>/dev/null | head -n1)
if [ -n "$deb" ]; then
  depends=$(dpkg-deb -f "$deb" Depends)
  for package in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libgl1-mesa-dri libegl-mesa0 libjpeg62-turbo libavcodec59 fonts-dejavu-core; do
    case "$depends" in *"$package"*) ;; *) fail "the package does not depend on $package" ;; esac
  done
  # Debian's checks: no lintian error (the warnings left are explained in
  # cmake/Install.cmake). A sanitizer build's binaries point at the build's
  # own driver folder: not a package to ship, so lintian judges only releases.
  if ! grep -q '^SALUTE_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    lintian "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(grep '^E:' "$work/lintian.log")"
  fi
  dpkg-deb -x "$deb" "$work/root"
  check test -x "$work/root/usr/bin/salute"
  licence_declared "$work/root/usr" || fail "the package's licence declarations"
  for f in man6/salute.6.gz man1/salute-capture.1.gz; do check test -f "$work/root/usr/share/man/$f"; done
  run_headless "$work/root/usr" "$work/debhome" --to 0.3 --fps 10 --quiet 2>/dev/null || fail "the packaged launcher"
  is_video "$work/debhome/.local/share/salute/salute.mp4" || fail "the packaged launcher's video"
else
  fail "no .deb was made"
fi

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "install and package: all checks passed"
