#!/usr/bin/env bash
# Installs what the build needs: Debian packages that are missing, and the
# three libraries the Windows build links statically (libjpeg-turbo, libxmp,
# libmpg123), cross-built for x86_64-w64-mingw32 from Debian's source packages
# into build/deps/prefix. Quiet and quick when everything is already there.
#
# The system's apt configuration is never touched: source packages come
# through a private sources list and state directory under build/deps/apt.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"
prefix="$deps/prefix"
host=x86_64-w64-mingw32
stamp_version=5 # bump when the recipe below changes

log() { printf 'deps: %s\n' "$*"; }

# ---------------------------------------------------------------- packages
packages=(
  build-essential cmake ninja-build make pkg-config
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev mingw-w64-tools
  wine64 xvfb xauth x11-utils xdotool libgl1-mesa-dri
  googletest libstb-dev libjpeg-dev libsquish-dev libassimp-dev lame imagemagick fonts-dejavu-core zlib1g-dev libxmp-dev libmpg123-dev
  libopenmesh-dev libmeshoptimizer-dev
  clang libclang-rt-14-dev
  nasm autoconf automake libtool dpkg-dev xz-utils
  debian-archive-keyring ca-certificates
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  log "installing Debian packages: ${missing[*]}"
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# ---------------------------------------------------------------- libraries
if [ -f "$prefix/.complete" ] && [ "$(cat "$prefix/.complete")" = "$stamp_version" ]; then
  exit 0
fi

log "cross-building libjpeg-turbo, libxmp and mpg123 for $host (about two minutes)"
rm -rf "$prefix" "$deps/src"
mkdir -p "$deps/apt/lists/partial" "$deps/apt/cache/archives/partial" "$deps/src" "$prefix"
cat > "$deps/apt/sources.list" <<LIST
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
LIST
aptopts=(
  -o "Dir::Etc::SourceList=$deps/apt/sources.list"
  -o "Dir::Etc::SourceParts=-"
  -o "Dir::State::Lists=$deps/apt/lists"
  -o "Dir::Cache=$deps/apt/cache"
  -o "Debug::NoLocking=1"
)
apt-get "${aptopts[@]}" -qq update
(cd "$deps/src" && apt-get "${aptopts[@]}" -qq source libjpeg-turbo libxmp mpg123/bookworm-security >/dev/null 2>&1) ||
  { log "apt-get source failed"; exit 1; }

srcdir() { find "$deps/src" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | head -n 1; }
jobs=$(nproc)
buildlog="$deps/build.log"
: > "$buildlog"
run() { "$@" >>"$buildlog" 2>&1 || { log "failed: $* (see $buildlog)"; tail -n 30 "$buildlog"; exit 1; }; }

cat > "$deps/toolchain.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC

# libjpeg-turbo: CMake; the SIMD code assembles with nasm.
src=$(srcdir libjpeg-turbo)
run cmake -S "$src" -B "$deps/build-jpeg" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$deps/toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DREQUIRE_SIMD=ON
run cmake --build "$deps/build-jpeg" -j "$jobs" --target jpeg-static
# Only the library and its four public headers: the tools are not wanted.
mkdir -p "$prefix/lib" "$prefix/include"
cp "$deps/build-jpeg/libjpeg.a" "$prefix/lib/"
cp "$deps/build-jpeg/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$prefix/include/"

# libxmp: autotools, static only.
src=$(srcdir libxmp)
[ -x "$src/configure" ] || run sh -c "cd '$src' && autoconf"
# Its makefiles only build in the source tree.
run sh -c "cd '$src' && ./configure --host=$host --prefix='$prefix' --enable-static --disable-shared CC=$host-gcc-posix"
run make -C "$src" -j "$jobs"
run make -C "$src" install

# libmpg123: the autotools build with the portable C decoder. (Its
# ports/cmake build, cross-built with mingw, loops forever in feed mode under
# Wine.)
src=$(srcdir mpg123)
run sh -c "cd '$src' && ./configure --host=$host --prefix='$prefix' --with-cpu=generic_fpu \
  --disable-shared --enable-static --disable-components --enable-libmpg123 CC=$host-gcc-posix"
run make -C "$src" -j "$jobs"
run make -C "$src" install

for f in lib/libjpeg.a lib/libxmp.a lib/libmpg123.a include/jpeglib.h include/xmp.h include/mpg123.h; do
  [ -f "$prefix/$f" ] || { log "missing after build: $prefix/$f"; exit 1; }
done
echo "$stamp_version" > "$prefix/.complete"
rm -rf "$deps/src" "$deps/build-jpeg"
log "libraries ready in $prefix"
