#!/bin/sh
# plicato is a launcher that needs no Qt: it answers --help, --version and
# --batch itself, with no Qt library among the ones it loads, and becomes
# plicato-desktop by exec for everything else: the same process, arguments,
# environment, standard streams and exit status. Beside a copy of the
# launcher, stand-ins for plicato-desktop show what it was given; where no
# desktop program can be started it says so and exits with 127. (--print
# through the real desktop program: gui_printpdf_test.)
#
#   launcher.sh BIN_DIR SOURCE_DIR
set -u
bin=$(cd "$1" && pwd) || exit 1
src=$(cd "$2" && pwd) || exit 1
plicato="$bin/plicato"
[ -x "$plicato" ] || { echo "launcher: no $plicato"; exit 1; }
dir=$(mktemp -d "${TMPDIR:-/tmp}/plicato-launcher-XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT INT TERM
failed=0
fail() { echo "launcher: $*"; failed=1; }

# --- no Qt: neither linked (NEEDED) nor loaded through another library
needed=$(readelf -d "$plicato" | grep NEEDED)
[ -n "$needed" ] || fail "readelf shows no NEEDED entries of $plicato"
echo "$needed" | grep -qi 'libQt' && fail "plicato links Qt: $needed"
ldd "$plicato" | grep -qi 'libQt' && { fail "plicato loads Qt:"; ldd "$plicato"; }
if [ -x "$bin/plicato-desktop" ]; then
  readelf -d "$bin/plicato-desktop" | grep NEEDED | grep -q 'libQt6Widgets' || fail "plicato-desktop does not link Qt Widgets"
fi

# --- what the launcher answers itself, with no display to be had
out=$(QT_QPA_PLATFORM=no-such-platform DISPLAY= "$plicato" --version 2>&1)
[ "$out" = "plicato 4.1" ] || fail "--version said: $out"
QT_QPA_PLATFORM=no-such-platform "$plicato" a.c --help > "$dir/help" 2>&1 || fail "--help failed"
head -1 "$dir/help" | grep -qx 'Usage: plicato \[--config DIR\] \[FILE \[-T\]\]\.\.\.' || fail "--help said: $(head -1 "$dir/help")"
if [ -x "$bin/plicato-desktop" ]; then
  # Run by its own name the desktop program answers the same, byte for byte.
  "$bin/plicato-desktop" --help | cmp -s - "$dir/help" || fail "plicato-desktop --help differs from plicato --help"
  [ "$("$bin/plicato-desktop" --version)" = "plicato 4.1" ] || fail "plicato-desktop --version differs"
fi
printf 'int a;\r\n/*{{{  inner*/\r\nint b;\r\n/*}}}*/\r\n' > "$dir/a.c"
out=$(QT_QPA_PLATFORM=no-such-platform "$plicato" --batch --config "$dir/cfg" --keys F6 --dump status "$dir/a.c" 2>&1)
status=$?
[ "$status" -eq 0 ] || fail "--batch exited with $status: $out"
echo "$out" | grep -qx '3 Fold:2 of 6' || { fail "--batch --dump status printed:"; echo "$out"; }
"$plicato" --batch > /dev/null 2> "$dir/err"
[ $? -eq 1 ] && grep -q '^usage: plicato --batch' "$dir/err" || fail "--batch without a file: $(cat "$dir/err")"

# --- the launcher alone: no desktop program to start
mkdir -p "$dir/alone" "$dir/tree/bin" "$dir/tree/lib/plicato" "$dir/probe"
cp "$plicato" "$dir/alone/plicato"
for args in "a.c" "--print a.c --to a.pdf" "-- --version"; do
  # shellcheck disable=SC2086
  "$dir/alone/plicato" $args > "$dir/out" 2> "$dir/err" < /dev/null
  status=$?
  [ "$status" -eq 127 ] || fail "plicato $args without plicato-desktop exited with $status"
  [ "$(cat "$dir/err")" = "plicato: cannot start the desktop program $dir/alone/plicato-desktop: No such file or directory" ] ||
    fail "plicato $args without plicato-desktop said: $(cat "$dir/err")"
  [ -s "$dir/out" ] && fail "plicato $args without plicato-desktop wrote on standard output: $(cat "$dir/out")"
done
[ "$("$dir/alone/plicato" --version)" = "plicato 4.1" ] || fail "the launcher alone does not answer --version"
# One that is there but cannot be run is the one told about.
printf '#!/bin/sh\nexit 0\n' > "$dir/alone/plicato-desktop"
chmod 644 "$dir/alone/plicato-desktop"
"$dir/alone/plicato" a.c 2> "$dir/err"
status=$?
[ "$status" -eq 127 ] && [ "$(cat "$dir/err")" = "plicato: cannot start the desktop program $dir/alone/plicato-desktop: Permission denied" ] ||
  fail "plicato with a plicato-desktop that cannot run exited with $status: $(cat "$dir/err")"

# --- a stand-in desktop program: what the exec hands on
cat > "$dir/probe/plicato-desktop" <<'EOF'
#!/bin/sh
echo "pid $$"
printf '[%s]' "$@"; echo
echo "probe ${PLICATO_PROBE-unset}"
echo "stdin $(cat)"
echo "to stderr" >&2
exit 42
EOF
chmod 755 "$dir/probe/plicato-desktop"
# Beside the launcher (the build tree, lib/plicato installed) and in
# ../lib/plicato from a copy in bin/.
cp "$plicato" "$dir/probe/plicato"
cp "$plicato" "$dir/tree/bin/plicato"
cp "$dir/probe/plicato-desktop" "$dir/tree/lib/plicato/plicato-desktop"
for launcher in "$dir/probe/plicato" "$dir/tree/bin/plicato"; do
  echo "typed in" | PLICATO_PROBE="from the caller" "$launcher" --config "$dir/cfg" 'two words' -T '' \
    -- --help --batch > "$dir/out" 2> "$dir/err" &
  pid=$!
  wait "$pid"
  status=$?
  [ "$status" -eq 42 ] || fail "$launcher: exit status $status, not the desktop program's 42"
  expected="pid $pid
[--config][$dir/cfg][two words][-T][][--][--help][--batch]
probe from the caller
stdin typed in"
  [ "$(cat "$dir/out")" = "$expected" ] || { fail "$launcher: the desktop program was given:"; cat "$dir/out"; }
  [ "$(cat "$dir/err")" = "to stderr" ] || fail "$launcher: standard error was: $(cat "$dir/err")"
done
# The launcher answers --batch itself even with a desktop program beside it.
"$dir/probe/plicato" --batch --config "$dir/cfg" --dump status "$dir/a.c" > "$dir/out" 2>&1
[ $? -eq 0 ] && grep -qx -- '--- status' "$dir/out" || { fail "--batch beside a stand-in:"; cat "$dir/out"; }

[ "$failed" -eq 0 ] && echo "launcher: plicato runs without Qt and hands the rest to plicato-desktop unchanged"
exit "$failed"
