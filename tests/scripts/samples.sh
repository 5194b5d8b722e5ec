#!/bin/sh
# The samples that `make run` opens work as the README tells: every
# entered filed fold shows its own file's lines, leaving it changes no file,
# and the fold filed with File/Unfile comes back inline and is filed again
# with its file as it was.
#
#   samples.sh BIN_DIR SOURCE_DIR
set -u
bin=$(cd "$1" && pwd) || exit 1
src=$(cd "$2" && pwd) || exit 1
plicato="$bin/plicato"
[ -x "$plicato" ] || { echo "samples: no $plicato"; exit 1; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/plicato-samples-XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT INT TERM
cp "$src"/resources/samples/* "$dir"/ || exit 1
cd "$dir" || exit 1
failed=0

# batch FILE KEYS [ANSWER]: the screen rows after KEYS in the Windows layout.
batch() {
  if [ $# -gt 2 ]; then
    "$plicato" --batch --config "$dir/cfg" --layout windows --rows 10 --dump screen --answer "$3" --keys "$2" "$1"
  else
    "$plicato" --batch --config "$dir/cfg" --layout windows --rows 10 --dump screen --keys "$2" "$1"
  fi
}

# expect WHAT FILE KEYS ROWS: the screen's rows after the header are ROWS
# (one per line).
expect() {
  got=$(batch "$2" "$3" | sed -n '2,$p')
  if [ "$got" != "$4" ]; then
    echo "samples: $1: expected"
    echo "$4"
    echo "samples: got"
    echo "$got"
    failed=1
  fi
}

unchanged() {
  for f in "$@"; do
    cmp -s "$f" "$src/resources/samples/$f" || { echo "samples: $f changed"; failed=1; }
  done
}

# Entering a text filed fold loads its file into the window (Ctrl-E), and
# leaving (Ctrl-Z) comes back to the parent.
expect "enter helpers in sample.c" sample.c 'Down Down Down Down Ctrl-E' '{{{F helpers
...  int twice(int n)
}}}'
expect "enter loop in sample.occ" sample.occ 'Down Down Down Ctrl-E Down Down Ctrl-E' '{{{F loop
WHILE TRUE
  ...  take and pass on
}}}'
expect "enter library in sample.tsr" sample.tsr 'Down Down Ctrl-E' '{{{F library
...  PROC lib
}}}'
expect "leave library in sample.tsr" sample.tsr 'Down Down Ctrl-E Ctrl-Z' '{{{F sample.tsr
...  COMMENT TDS sample
...  PROC hello
...F library
}}}'
unchanged sample.c sample.occ sample.tsr sample_part.c sample_part.occ sample_part.tsr

# File/Unfile (Shift-F2) brings the lines of sample_io.c inline; opened in
# place (Ctrl-P) they show.
expect "unfile sample_io.c" sample.c 'Down Down Down Down Down Shift-F2 Ctrl-P' '{{{F sample.c
#include <stdio.h>

...  COMMENT what this file shows
...  declarations
...F helpers
{{{  sample_io.c
#include <stdio.h>
...  void greet(const char *who)
}}}'
unchanged sample.c sample_io.c

# Unfiled and saved, sample.c holds the lines itself.
batch sample.c 'Down Down Down Down Down Shift-F2 Ctrl-S' > /dev/null
grep -q 'printf("%s, world\\n", who);' sample.c || { echo "samples: unfiled lines not saved in sample.c"; failed=1; }
# Filed again (the existing file is overwritten after Yes), sample.c is as
# it was but for how it names the file, and sample_io.c is unchanged.
batch sample.c 'Down Down Down Down Down Shift-F2 Ctrl-S' yes > /dev/null
sed "s|:::F $dir/|:::F |" sample.c | cmp -s - "$src/resources/samples/sample.c" ||
  { echo "samples: sample.c after filing again:"; cat sample.c; failed=1; }
unchanged sample_io.c

[ "$failed" -eq 0 ] && echo "samples: every filed fold of the samples enters, unfiles and files again"
exit "$failed"
