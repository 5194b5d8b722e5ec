#!/bin/sh
# The man pages render without a warning, and name every option the
# programs' own usage texts name.
#
#   manpages.sh BUILD_DIR SOURCE_DIR
set -u
build=$(cd "$1" && pwd) || exit 1
src=$(cd "$2" && pwd) || exit 1
command -v man > /dev/null || { echo "manpages: man is not installed"; exit 1; }
dir=$(mktemp -d "${TMPDIR:-/tmp}/plicato-man-XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT INT TERM
failed=0

for page in plicato plicato-fold; do
  file="$src/docs/man/$page.1"
  # Every warning groff has (w), not only man-db's default set of them.
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$file" > "$dir/$page.txt" 2> "$dir/$page.err"
  if [ -s "$dir/$page.err" ] || [ ! -s "$dir/$page.txt" ]; then
    echo "manpages: $page.1 does not render cleanly:"
    cat "$dir/$page.err"
    failed=1
  fi
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES ENVIRONMENT "EXIT STATUS"; do
    grep -q "^$section\$" "$dir/$page.txt" || { echo "manpages: $page.1 has no $section section"; failed=1; }
  done
done

# The usage texts: the desktop program's --help, the batch mode's and
# plicato-fold's (each printed for a wrong command line).
"$build/bin/plicato" --help > "$dir/plicato.usage" 2>&1
"$build/bin/plicato" --batch > /dev/null 2>> "$dir/plicato.usage"
"$build/bin/plicato-fold" > /dev/null 2> "$dir/plicato-fold.usage"
for page in plicato plicato-fold; do
  options=$(grep -o -- '--[a-z][a-z-]*' "$dir/$page.usage" | sort -u)
  [ -n "$options" ] || { echo "manpages: no options found in the usage of $page"; failed=1; }
  for o in $options; do
    grep -q -- "$o" "$dir/$page.txt" || { echo "manpages: $page.1 does not name $o"; failed=1; }
  done
done
for c in tree json convert; do
  grep -q "^       $c " "$dir/plicato-fold.txt" || { echo "manpages: plicato-fold.1 does not describe $c"; failed=1; }
done

[ "$failed" -eq 0 ] && echo "manpages: plicato.1 and plicato-fold.1 render and name every option"
exit "$failed"
