#!/usr/bin/env bash
# Makes the one file a user downloads: a self-extracting archive (makeself)
# of the installer's folder as `cmake --install --component installer` lays it
# out, with the distributor's Install.ini in it.
# The programs are built for it alone, against a Debian 11 root (made once
# with mmdebstrap and cached, see scripts/lib/debian-root.sh), so they need
# no C library newer than 2.31; every library beyond the C library and the
# GTK 3 stack travels in the archive beside them.
# Usage: scripts/package.sh [--ini FILE] [--out DIR] [--no-build]
#   --ini FILE   the Install.ini to ship (default: the demo's, demo/Install.ini)
#   --out DIR    where the archive goes (default: dist/)
#   --no-build   use the build folder $BUILD_DIR as it is (tests); its
#                libraries come from the root it was configured with, or
#                from this machine
# The build folder is build-archive/, or $BUILD_DIR when set. Prints the
# archive's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
ini="$root/demo/Install.ini"
out="$root/dist"
build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --ini) ini="${2:?--ini needs a file}"; shift 2 ;;
    --out) out="${2:?--out needs a folder}"; shift 2 ;;
    --no-build) build=0; shift ;;
    *) echo "package.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ ! -f "$ini" ] || [ ! -r "$ini" ]; then
  echo "package.sh: no readable settings file $ini" >&2
  exit 2
fi
# Without its section the installer would quietly fall back to its built-in
# addresses; a distributor means to ship their own.
if ! tr -d '\r' <"$ini" | grep -qi '^[[:space:]]*\[config\][[:space:]]*$'; then
  echo "package.sh: $ini has no [Config] section" >&2
  exit 2
fi

# shellcheck source=lib/debian-root.sh
. "$root/scripts/lib/debian-root.sh"
# shellcheck source=lib/bundle-libs.sh
. "$root/scripts/lib/bundle-libs.sh"
# What the programs are compiled and linked against.
root_packages="libc6-dev,libstdc++-10-dev,libgtk-3-dev,libcurl4-openssl-dev,libjsoncpp-dev"
root_packages+=",libpugixml-dev,libacl1-dev,libssl-dev,libpng-dev,libcairo2-dev"
root_packages+=",libpango1.0-dev,libglib2.0-dev"

start=$SECONDS
build_dir="${BUILD_DIR:-$root/build-archive}"
sysroot=""
if [ "$build" = 1 ]; then
  "$root/scripts/install-deps.sh" >&2
  sysroot=$(debian_root bullseye-build bullseye extract "$root_packages")
  launcher=()
  if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  # -O2: the program waits on the network and the user, not on its code.
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/OldGlibcSysroot.cmake" -DTOVADOC_SYSROOT="$sysroot" \
    -DTOVADOC_ARCHIVE_ONLY=ON "${launcher[@]}" >&2
  cmake --build "$build_dir" -j2 >&2
fi
for tool in makeself patchelf readelf; do
  if ! command -v "$tool" >/dev/null; then
    echo "package.sh: $tool is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
  fi
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
# Libraries come from the root the build folder links against.
sysroot=$(sed -n 's/^TOVADOC_SYSROOT:PATH=//p' "$build_dir/CMakeCache.txt")
if [ -z "$version" ]; then
  echo "package.sh: $build_dir is not a configured build folder" >&2
  exit 1
fi

stage=$(mktemp -d "${TMPDIR:-/tmp}/tovadoc-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
folder="$stage/TovadocInstaller-$version"
cmake --install "$build_dir" --component installer --prefix "$folder" --strip >&2
cp "$ini" "$folder/Install.ini"
chmod 0644 "$folder/Install.ini"
bundle_libs "$folder" "$sysroot"

mkdir -p "$out"
archive="$(cd "$out" && pwd)/TovadocInstaller-$version-linux-$(uname -m).run"
# --nox11: a file manager starts the archive without a terminal, and the
# installer is a window of its own.
makeself --quiet --nox11 --sha256 --tar-quietly \
  "$folder" "$archive.tmp" "TovadocInstaller $version" ./launch.sh >&2
mv -f "$archive.tmp" "$archive"
echo "package.sh: $(basename "$archive"), $(du -k "$archive" | cut -f1) KiB, in $((SECONDS - start)) s" >&2
echo "$archive"
