#!/bin/sh
# The installed programs work from where they are installed: `cmake
# --install` lays out programs, links, data files, man pages and the desktop
# entry, and the Debian package holds the same, depends on the Qt runtime,
# and, unpacked into a scratch root with dpkg-deb -x, runs from there
# through its links in usr/bin (the programs find their data files beside
# the executable, links resolved).
#
#   package.sh BUILD_DIR SOURCE_DIR
set -u
build=$(cd "$1" && pwd) || exit 1
src=$(cd "$2" && pwd) || exit 1
dir=$(mktemp -d "${TMPDIR:-/tmp}/plicato-package-XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT INT TERM
failed=0
fail() { echo "package: $*"; failed=1; }
# A build without the desktop program has no desktop entry and no Qt.
gui=1
grep -q '^PLICATO_BUILD_GUI:BOOL=OFF' "$build/CMakeCache.txt" && gui=0

# --- cmake --install into a prefix
prefix="$dir/prefix"
cmake --install "$build" --prefix "$prefix" > "$dir/install.log" 2>&1 || { cat "$dir/install.log"; fail "cmake --install failed"; exit 1; }
for p in plicato plicato-fold; do
  [ -x "$prefix/lib/plicato/$p" ] || fail "lib/plicato/$p not installed"
  [ "$(readlink "$prefix/bin/$p")" = "../lib/plicato/$p" ] || fail "bin/$p is not a link to ../lib/plicato/$p"
  [ -f "$prefix/share/man/man1/$p.1" ] || fail "man page $p.1 not installed"
done
for f in lang.txt help.txt PLICATO.INI ansi_c.mrk occam2.mrk tds.mrk; do
  [ -f "$prefix/lib/plicato/$f" ] || fail "data file $f not installed"
done
if [ "$gui" -eq 1 ]; then
  [ -f "$prefix/share/applications/plicato.desktop" ] || fail "desktop entry not installed"
  [ -f "$prefix/share/icons/hicolor/scalable/apps/plicato.svg" ] || fail "icon not installed"
  [ -f "$prefix/lib/plicato/libgnumake.so" ] || fail "stand-in make library not installed"
  [ -x "$prefix/lib/plicato/plicato-desktop" ] || fail "lib/plicato/plicato-desktop not installed"
  [ -e "$prefix/bin/plicato-desktop" ] && fail "bin/plicato-desktop installed: it is started through plicato"
fi

# --- the Debian package
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$dir/deb" > "$dir/cpack.log" 2>&1 || { cat "$dir/cpack.log"; fail "cpack failed"; exit 1; }
deb=$(ls "$dir"/deb/plicato_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { cat "$dir/cpack.log"; fail "no .deb made"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
contents=$(dpkg-deb -c "$deb")
if [ "$gui" -eq 1 ]; then
  for d in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6svg6 qt6-qpa-plugins libc6 libstdc++6; do
    echo "$depends" | grep -q "\(^\|, \)$d\( \|,\|$\)" || fail "Depends lacks $d: $depends"
  done
  for f in ./usr/share/applications/plicato.desktop ./usr/share/icons/hicolor/scalable/apps/plicato.svg \
           ./usr/lib/plicato/plicato-desktop; do
    echo "$contents" | grep -q " $f\$" || fail "package lacks $f"
  done
fi
for f in ./usr/share/man/man1/plicato.1 ./usr/share/man/man1/plicato-fold.1 ./usr/lib/plicato/lang.txt \
         "./usr/bin/plicato -> ../lib/plicato/plicato" "./usr/bin/plicato-fold -> ../lib/plicato/plicato-fold"; do
  echo "$contents" | grep -qF " $f" || fail "package lacks $f"
done

root="$dir/root"
dpkg-deb -x "$deb" "$root" || { fail "dpkg-deb -x failed"; exit 1; }
# From elsewhere, with a configuration directory of its own: what the
# programs need must come from the unpacked tree.
mkdir -p "$dir/elsewhere" && cd "$dir/elsewhere" || exit 1
version=$("$root/usr/bin/plicato" --version 2>&1)
[ "$version" = "plicato 4.1" ] || fail "plicato --version said: $version"
sample="$root/usr/share/doc/plicato/examples/sample.c"
[ -f "$sample" ] || fail "package lacks the sample files"
tree=$(PLICATO_CONFIG_DIR="$dir/cfg" "$root/usr/bin/plicato-fold" tree "$sample" 2>&1)
expected='{{{ COMMENT what this file shows (5 lines)
{{{ declarations (4 lines)
...F helpers -> sample_part.c
...F sample_io.c -> sample_io.c
{{{ int main(void) (12 lines)
  {{{ greet (6 lines)
    {{{ count the greetings (3 lines)'
[ "$tree" = "$expected" ] || { fail "plicato-fold tree from the package printed:"; echo "$tree"; }
[ -f "$dir/cfg/PLICATO.INI" ] || fail "the default PLICATO.INI was not taken from the package"
# The editor itself, headless, enters the sample's filed fold from there.
screen=$(cd "$root/usr/share/doc/plicato/examples" && PLICATO_CONFIG_DIR="$dir/cfg" \
  "$root/usr/bin/plicato" --batch --layout windows --rows 4 --dump screen --keys 'Down Down Down Down Ctrl-E' sample.c 2>&1)
echo "$screen" | grep -q '^\.\.\.  int twice(int n)$' || { fail "plicato --batch from the package showed:"; echo "$screen"; }
# plicato hands --print to the desktop program beside it in usr/lib/plicato.
if [ "$gui" -eq 1 ]; then
  printed=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PLICATO_CONFIG_DIR="$dir/cfg" \
    "$root/usr/bin/plicato" --print "$sample" --to "$dir/sample.pdf" 2>&1) || fail "plicato --print from the package: $printed"
  [ "$(head -c 5 "$dir/sample.pdf" 2>/dev/null)" = "%PDF-" ] || fail "plicato --print from the package wrote no PDF"
fi

[ "$failed" -eq 0 ] && echo "package: $(basename "$deb") installs and runs from a scratch root"
exit "$failed"
