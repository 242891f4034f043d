#!/usr/bin/env bash
# Builds the presentation for web browsers into build-web/site/, a static
# folder any file server serves (python3 -m http.server -d build-web/site).
#  1. Debian's emscripten (and what fetching a Debian source takes).
#  2. The native build (scripts/build.sh): the data, and salute-fontbake,
#     which bakes the font's glyph images for the page.
#  3. libjpeg-turbo from Debian's source, cross-built with emscripten (the
#     source is fetched through a temporary deb-src entry, removed again).
#  4. The program as salute.js + salute.wasm, and the site put together.
# Fast when nothing changed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-web
export NODE_PATH=/usr/share/nodejs  # emscripten's JavaScript tools need acorn from there
scripts/install-deps.sh --packages emscripten dpkg-dev cmake
scripts/build.sh

# ---- libjpeg-turbo, cross-built -------------------------------------------------
jpeg=$out/jpeg
if [ ! -f "$jpeg/install/lib/libjpeg.a" ]; then
  if [ ! -d "$jpeg/source" ]; then
    rm -rf "$jpeg/download"
    scripts/debian-source.sh "$jpeg/download" libjpeg-turbo
    mv "$(find "$jpeg/download" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)" "$jpeg/source"
    rm -rf "$jpeg/download"
  fi
  # Without the size presets its configure cannot tell the word size.
  emcmake cmake -S "$jpeg/source" -B "$jpeg/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$jpeg/install" -DWITH_SIMD=0 -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 \
    -DSIZE_T=4 -DHAVE_SIZE_T=TRUE -DUNSIGNED_LONG=4 -DHAVE_UNSIGNED_LONG=TRUE >/dev/null
  cmake --build "$jpeg/build" -j2 --target install >/dev/null
fi

# ---- The program ------------------------------------------------------------------
if [ ! -f "$out/program/Makefile" ]; then
  emcmake cmake -S . -B "$out/program" -DCMAKE_BUILD_TYPE=Release \
    -DJPEG_INCLUDE_DIR="$jpeg/install/include" -DJPEG_LIBRARY="$jpeg/install/lib/libjpeg.a"
fi
cmake --build "$out/program" -j2

# ---- The site -------------------------------------------------------------------
site=$out/site
rm -rf "$site.new"
mkdir -p "$site.new/data"
cp platform/web/site/index.html platform/web/site/style.css platform/web/site/page.js "$site.new/"
cp "$out/program/salute.js" "$out/program/salute.wasm" "$site.new/"
cp -r build/textures build/90secver.ogg "$site.new/data/"
# The glyphs of the program's font ("Verdana", 16 pixels per drawing scale).
build/tools/fontbake/salute-fontbake "$site.new/data/glyphs.bin" Verdana 16 32 48 64
# What the page fetches before the program starts, with the sizes for its
# progress bar.
(
  cd "$site.new"
  echo '{"files": ['
  find data -type f ! -name files.json | sort | while read -r file; do
    printf '  {"name": "%s", "bytes": %s},\n' "${file#data/}" "$(stat -c %s "$file")"
  done | sed '$ s/,$//'
  printf '], "program": {"bytes": %s}}\n' "$(stat -c %s salute.wasm)"
) >"$site.new/data/files.json"
rm -rf "$site" && mv "$site.new" "$site"
gzipped=$(find "$site" -type f -exec sh -c 'gzip -9c "$1" | wc -c' _ {} \; | awk '{ total += $1 } END { print total }')
echo "The site is in $site ($(du -sb "$site" | cut -f1) bytes, $gzipped gzipped)."
echo "Serve it with: python3 -m http.server -d $site 8000, then open http://127.0.0.1:8000/"
