#!/usr/bin/env bash
# Makes the one file a user downloads: a self-extracting archive (makeself)
# of the installer's folder as `cmake --install --component installer` lays it
# out, with the distributor's Install.ini in it.
# Usage: scripts/package.sh [--ini FILE] [--out DIR] [--no-build]
#   --ini FILE   the Install.ini to ship (default: the demo's, demo/Install.ini)
#   --out DIR    where the archive goes (default: dist/)
#   --no-build   use the build folder as it is (tests)
# The build folder is build/, or $BUILD_DIR when set. Prints the archive's path.
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

build_dir="${BUILD_DIR:-$root/build}"
if [ "$build" = 1 ]; then
  "$root/scripts/install-deps.sh" >&2
  build_dir=$("$root/scripts/build.sh")
fi
if ! command -v makeself >/dev/null; then
  echo "package.sh: makeself is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
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

mkdir -p "$out"
archive="$(cd "$out" && pwd)/TovadocInstaller-$version-linux-$(uname -m).run"
# --nox11: a file manager starts the archive without a terminal, and the
# installer is a window of its own.
makeself --quiet --nox11 --sha256 --tar-quietly \
  "$folder" "$archive.tmp" "TovadocInstaller $version" ./launch.sh >&2
mv -f "$archive.tmp" "$archive"
echo "$archive"
