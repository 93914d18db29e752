# Sourced by the scripts that need a Debian root of another release: the
# build root the released binaries are linked against, and the clean
# machines the archive is tried on.
#
# debian_root NAME SUITE VARIANT PACKAGES: prints the folder of a root made
# with mmdebstrap, from the cache when one with the same suite, variant and
# packages is there ($TOVADOC_ROOTS, default ~/.cache/tovadoc-roots). A
# first creation is reported on standard error with the time it took.
debian_root() {
  local name=$1 suite=$2 variant=$3 packages=$4
  local cache="${TOVADOC_ROOTS:-${XDG_CACHE_HOME:-$HOME/.cache}/tovadoc-roots}"
  local dir="$cache/$name" stamp="$suite $variant $packages"
  if [ -f "$dir.done" ] && [ "$(cat "$dir.done")" = "$stamp" ]; then
    echo "$dir"
    return 0
  fi
  if ! command -v mmdebstrap >/dev/null; then
    echo "debian-root: mmdebstrap is missing (apt-get install mmdebstrap)" >&2
    return 1
  fi
  mkdir -p "$cache"
  rm -rf "$dir" "$dir.done" "$dir.new"
  local start=$SECONDS
  echo "debian-root: making the $suite root $name (once; it is cached in $cache)" >&2
  if ! mmdebstrap --quiet --variant="$variant" --include="$packages" \
      "$suite" "$dir.new" http://deb.debian.org/debian >&2; then
    rm -rf "$dir.new"
    echo "debian-root: mmdebstrap failed for $suite" >&2
    return 1
  fi
  # Absolute links inside the root would lead a compiler or linker given
  # --sysroot out of it, to this machine's files: make them relative.
  local link target
  find "$dir.new" -type l -lname '/*' -print0 | while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    ln -sfn "$(realpath -s -m --relative-to="$(dirname "$link")" "$dir.new$target")" "$link"
  done
  mv "$dir.new" "$dir"
  echo "$stamp" >"$dir.done"
  echo "debian-root: $name made in $((SECONDS - start)) s" >&2
  echo "$dir"
}
