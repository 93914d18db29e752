# Sourced by scripts/package.sh.
#
# bundle_libs FOLDER ROOT: copies into FOLDER every shared library that the
# programs and modules in it need, directly or through one another, except
# the C and C++ runtimes and the GTK 3 stack's (the closure of libgtk-3 in that
# root): those every desktop has, in a version at least as new. Libraries
# are looked up in ROOT (the root the binaries were linked against; empty
# for this machine). Every ELF file in FOLDER then finds its libraries beside
# itself ($ORIGIN), whatever the system's paths hold.
bundle_libs() {
  local folder=$1 root=$2
  # The C library, and the C++ runtime that comes with it everywhere (the
  # package tools of every distribution need it): one copy of each in a
  # process, the system's, which is at least as new as the root's.
  local glibc="libc.so.6 libm.so.6 libpthread.so.0 libdl.so.2 librt.so.1 libresolv.so.2
    libutil.so.1 libanl.so.1 libnsl.so.1 libmvec.so.1 libBrokenLocale.so.1 ld-linux-x86-64.so.2
    libstdc++.so.6 libgcc_s.so.1"

  _find_lib() {  # name [root]
    local d base=${2-$root}
    for d in "$base/lib/x86_64-linux-gnu" "$base/usr/lib/x86_64-linux-gnu" "$base/lib64" \
             "$base/usr/lib64" "$base/lib" "$base/usr/lib"; do
      if [ -e "$d/$1" ]; then
        echo "$d/$1"
        return 0
      fi
    done
    return 1
  }
  _needed() {
    readelf -d "$1" 2>/dev/null | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'
  }
  _is_elf() {
    [ -f "$1" ] && [ "$(head -c 4 "$1" | od -An -c | tr -d ' ')" = '177ELF' ]
  }
  # The closure of libgtk-3 in a root, one name a line.
  _gtk_closure() {
    local base=$1 name path n
    declare -A seen=()
    local queue=(libgtk-3.so.0)
    while [ ${#queue[@]} -gt 0 ]; do
      name=${queue[0]}
      queue=("${queue[@]:1}")
      [ -n "${seen[$name]:-}" ] && continue
      seen[$name]=1
      path=$(_find_lib "$name" "$base") || continue
      for n in $(_needed "$path"); do queue+=("$n"); done
    done
    printf '%s\n' "${!seen[@]}"
  }

  # What the system provides: the runtimes, and the GTK 3 stack's libraries
  # as both the root and this machine name them. A name that changed between
  # the two (libffi.so.7 and .8, say) is no name to rely on: what needs it
  # gets its own copy.
  declare -A system=()
  local name
  for name in $glibc; do system[$name]=1; done
  if ! _find_lib libgtk-3.so.0 >/dev/null; then
    echo "bundle-libs: no GTK 3 in ${root:-this machine}" >&2
    return 1
  fi
  for name in $(comm -12 <(_gtk_closure "$root" | sort) <(_gtk_closure "" | sort)); do
    system[$name]=1
  done

  # What the folder's files need beyond that, recursively.
  declare -A bundled=()
  local file lib n queue=()
  for file in "$folder"/*; do
    _is_elf "$file" && queue+=("$file")
  done
  while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    for n in $(_needed "$file"); do
      [ -n "${system[$n]:-}" ] || [ -n "${bundled[$n]:-}" ] && continue
      if [ -e "$folder/$n" ] && [ -z "${bundled[$n]:-}" ]; then
        continue  # one of ours
      fi
      if ! lib=$(_find_lib "$n"); then
        echo "bundle-libs: $n, needed by $(basename "$file"), is not in ${root:-this machine}" >&2
        return 1
      fi
      cp -L "$lib" "$folder/$n"
      chmod 0644 "$folder/$n"
      bundled[$n]=1
      queue+=("$folder/$n")
    done
  done

  for file in "$folder"/*; do
    if _is_elf "$file"; then
      patchelf --force-rpath --set-rpath '$ORIGIN' "$file"
    fi
  done
  echo "bundle-libs: ${#bundled[@]} libraries bundled: ${!bundled[*]}" >&2
}
