#!/bin/sh
# Each core layer compiles with an include path that holds only its own
# folder and those of the layers below it: every header of a lower layer
# resolves, and a header of a higher layer (or of the desktop program) is
# not found, so an include against the order does not build.
#
#   layers.sh BIN_DIR SOURCE_DIR
set -u
bin=$(cd "$1" && pwd) || exit 1
src=$(cd "$2" && pwd) || exit 1
views="$bin/../layer-includes"
[ -d "$views" ] || { echo "layers: no $views"; exit 1; }
cxx=${CXX:-c++}
dir=$(mktemp -d "${TMPDIR:-/tmp}/plicato-layers-XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT INT TERM
failed=0

# From the bottom up; tree, print and toolchain stand side by side.
order="platform commandids model engine display commands app tree print toolchain"
rank() {
  case $1 in
    platform) echo 0 ;; commandids) echo 1 ;; model) echo 2 ;; engine) echo 3 ;;
    display) echo 4 ;; commands) echo 5 ;; app) echo 6 ;; *) echo 7 ;;
  esac
}
# platform and commandids are both at the bottom: neither uses the other.
may_use() {
  [ "$1" = "$2" ] && return 0
  case "$1:$2" in platform:commandids | commandids:platform | model:commandids) return 1 ;; esac
  [ "$(rank "$2")" -lt "$(rank "$1")" ]
}

for layer in $order; do
  [ -d "$views/$layer" ] || { echo "layers: no include folder for $layer"; failed=1; continue; }
  for other in $order gui; do
    header=$(ls "$src/src/$other"/*.hpp | head -n 1)
    probe="$dir/probe.cpp"
    echo "#include \"$other/$(basename "$header")\"" > "$probe"
    if "$cxx" -std=c++20 -E -I "$views/$layer" "$probe" > /dev/null 2> "$dir/err"; then
      resolved=yes
    else
      resolved=no
    fi
    if [ "$other" != gui ] && may_use "$layer" "$other"; then
      [ $resolved = yes ] || { echo "layers: $layer cannot include $other/:"; cat "$dir/err"; failed=1; }
    else
      [ $resolved = yes ] && { echo "layers: $layer can include $other/$(basename "$header")"; failed=1; }
      [ $resolved = no ] && ! grep -q "No such file" "$dir/err" &&
        { echo "layers: $layer including $other/ failed otherwise:"; cat "$dir/err"; failed=1; }
    fi
  done
done
[ $failed = 0 ] && echo "layers: every layer sees exactly the layers below it"
exit $failed
