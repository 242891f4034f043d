#!/usr/bin/env bash
# Builds the Windows program, cross-compiled with MinGW-w64, into
# build-windows/, and packs build-windows/salute-windows-x64.zip:
# salute.exe, the music, the pictures and a README.txt.
#   1. installs the cross compiler, nasm and zip from Debian;
#   2. fetches the Debian sources of libjpeg-turbo, libogg and libvorbis
#      (through a deb-src entry that exists only while they download);
#   3. builds the data natively with scripts/build.sh (into build/);
#   4. cross-builds the three libraries, static, into build-windows/deps/;
#   5. cross-builds salute.exe and packs the zip.
# Fast when nothing changed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
toolchain=$root/cmake/MingwToolchain.cmake
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2

# 1. Tools.
scripts/install-deps.sh --packages g++-mingw-w64-x86-64-posix nasm cmake zip dpkg-dev

# 2. Sources, each unpacked once into build-windows/sources/.
libraries=(libjpeg-turbo libogg libvorbis)
mkdir -p "$out/sources"
wanted=()
for library in "${libraries[@]}"; do
  compgen -G "$out/sources/$library-*/" >/dev/null || wanted+=("$library")
done
if [ ${#wanted[@]} -gt 0 ]; then
  scripts/debian-source.sh "$out/sources" "${wanted[@]}"
fi
source_of() { compgen -G "$out/sources/$1-*/" | head -n1; }

# 3. The data, made natively by the normal build.
scripts/build.sh

# 4. The libraries for Windows, static.
deps=$out/deps
cross_build() {  # name, then CMake options
  local name=$1
  shift
  [ -f "$out/lib-build/$name/.installed" ] && return 0
  cmake -S "$(source_of "$name")" -B "$out/lib-build/$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_FIND_ROOT_PATH="$deps" \
    -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$out/lib-build/$name" -j"$jobs" >/dev/null
  cmake --install "$out/lib-build/$name" >/dev/null
  touch "$out/lib-build/$name/.installed"
}
cross_build libjpeg-turbo -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DCMAKE_ASM_NASM_COMPILER=nasm
cross_build libogg -DINSTALL_DOCS=OFF
cross_build libvorbis

# 5. The program and the zip.
if [ ! -f "$out/program/CMakeCache.txt" ]; then
  cmake -S . -B "$out/program" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_FIND_ROOT_PATH="$deps" -DSALUTE_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$out/program" -j"$jobs"
x86_64-w64-mingw32-strip -o "$out/salute.exe" "$out/program/salute.exe"

package=$out/package
rm -rf "$package"
mkdir -p "$package"
cp "$out/salute.exe" "$package/"
cp build/90secver.ogg "$package/"
cp -r build/textures "$package/"
sed 's/$/\r/' packaging/windows-readme.txt >"$package/README.txt"
rm -f "$out/salute-windows-x64.zip"
(cd "$package" && zip -q -9 -r -X "$out/salute-windows-x64.zip" salute.exe 90secver.ogg textures README.txt)
echo "build-windows/salute-windows-x64.zip: $(stat -c %s "$out/salute-windows-x64.zip") bytes"
