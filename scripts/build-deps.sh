#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the static third-party libraries of the Windows build (SDL2, SDL2_image,
# SDL2_ttf, FreeType, libcurl with Schannel, GoogleTest) from Debian's source
# packages into a prefix outside the source tree, cached by versions.
# Prints the prefix on its last line of standard output.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
toolchain="$root/cmake/mingw-w64-x86_64.cmake"

# Source package name and the upstream version we expect from bookworm.
packages=(libsdl2 libsdl2-image libsdl2-ttf freetype curl)
cache_base=${VIGILOR_DEPS_CACHE:-${XDG_CACHE_HOME:-${HOME:-/root}/.cache}/vigilor}
# Bump when the build recipe below changes; the prefix is keyed by it.
recipe=2
key=$( (cat "$toolchain"; printf '%s\n' "$recipe" "${packages[@]}") | sha256sum | cut -c1-16)
prefix="$cache_base/deps-$key"

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

log() { echo "[build-deps] $*" >&2; }
work="$cache_base/work-$key"
mkdir -p "$work/lists/partial" "$work/src" "$prefix"
# The toolchain file adds this prefix to the cross find root.
export VIGILOR_DEPS_PREFIX=$prefix

# A private deb-src list, so the system's apt configuration stays untouched.
keyring=$(awk '/^Signed-By:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
: "${keyring:=/usr/share/keyrings/debian-archive-keyring.gpg}"
: "${uri:=http://deb.debian.org/debian}"
fetch_sources() {
cat > "$work/sources.list" <<LIST
deb-src [signed-by=$keyring] $uri bookworm main
LIST
apt_opts=(-o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
          -o "Dir::State::Lists=$work/lists" -o Debug::NoLocking=1)
log "fetching source indexes"
apt-get "${apt_opts[@]}" update -qq >&2
cd "$work/src"
for p in "${packages[@]}"; do
  log "fetching $p"
  apt-get "${apt_opts[@]}" source --download-only -qq "$p" >&2
done
for dsc in *.dsc; do
  name=${dsc%%_*}
  log "unpacking $dsc"
  rm -rf "$work/src/$name"
  dpkg-source --no-check -x "$dsc" "$work/src/$name" >/dev/null
done
touch "$work/src/.fetched"
}
[ -f "$work/src/.fetched" ] || fetch_sources

jobs=$(nproc)
cmake_build() { # name, source dir, extra args...
  local name=$1 src=$2; shift 2
  [ -f "$prefix/.built-$name" ] && return 0
  log "building $name"
  rm -rf "$work/build/$name"
  cmake -S "$src" -B "$work/build/$name" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/x86_64-w64-mingw32" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$work/$name.configure.log" 2>&1 \
    || { tail -40 "$work/$name.configure.log" >&2; exit 1; }
  cmake --build "$work/build/$name" -j "$jobs" >"$work/$name.build.log" 2>&1 \
    || { tail -40 "$work/$name.build.log" >&2; exit 1; }
  cmake --install "$work/build/$name" >"$work/$name.install.log" 2>&1
  touch "$prefix/.built-$name"
}

cmake_build sdl2 "$work/src/libsdl2" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=OFF
cmake_build freetype "$work/src/freetype" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
  -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cmake_build sdl2_image "$work/src/libsdl2-image" -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
  -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_JPG=OFF -DSDL2IMAGE_AVIF=OFF \
  -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF
# The installed config asks for libpng even though the stb backend decodes PNG
# itself and nothing links libpng.
sed -i 's/^if(SDL2IMAGE_PNG AND NOT SDL2IMAGE_VENDORED AND NOT TARGET PNG::PNG)/if(SDL2IMAGE_PNG AND NOT SDL2IMAGE_BACKEND_STB AND NOT SDL2IMAGE_VENDORED AND NOT TARGET PNG::PNG)/' \
  "$prefix/lib/cmake/SDL2_image/SDL2_imageConfig.cmake"
cmake_build sdl2_ttf "$work/src/libsdl2-ttf" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF \
  -DSDL2TTF_SAMPLES=OFF
cmake_build curl "$work/src/curl" -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON \
  -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
  -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_DISABLE_LDAP=ON \
  -DENABLE_MANUAL=OFF -DCURL_STATICLIB=ON -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none
cmake_build googletest /usr/src/googletest -Dgtest_disable_pthreads=OFF -DINSTALL_GTEST=ON

rm -rf "$work"
touch "$prefix/.complete"
log "done: $prefix"
echo "$prefix"
