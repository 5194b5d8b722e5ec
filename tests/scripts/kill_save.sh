#!/bin/sh
# Saves survive a kill at any moment: a large file is saved again and again
# in batch mode ("x" typed on its first line, then Ctrl-S in the Windows
# layout) and the editor is killed with SIGKILL after a random delay.
#
# Two rounds: saves by rename (a temporary file beside the file), and saves
# in place (the file has a second hard link, so it is written over after a
# backup copy in the state directory). After every kill the file must be
# the complete old version or the complete new one, never a mix, a cut-off
# file or an empty one; an in-place save killed while it wrote leaves the
# whole old version in its backup instead.
#
#   kill_save.sh BIN_DIR SOURCE_DIR [SECONDS]
# SECONDS (default 30, or $KILL_SAVE_SECONDS) bounds the loops, half each;
# the seed of the delays is $KILL_SAVE_SEED (default 1).
set -u
bin=$(cd "$1" && pwd) || exit 1
seconds=${3:-${KILL_SAVE_SECONDS:-30}}
seed=${KILL_SAVE_SEED:-1}
plicato="$bin/plicato"
[ -x "$plicato" ] || { echo "kill_save: no $plicato"; exit 1; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/plicato-kill-XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT INT TERM
file="$dir/big.c"
backups="$dir/state/plicato"
cd "$dir" || exit 1

# About 2.6 MB: a text line first (where the x goes), then 1000 folds of
# 40 lines each.
awk 'BEGIN {
  print "start\r"
  for (i = 0; i < 1000; i++) {
    print "/*{{{  fold " i "*/\r"
    for (j = 0; j < 40; j++) print "  int value_" i "_" j " = " j "; /* a line of some length */\r"
    print "/*}}}*/\r"
  }
}' > "$file"

# The next version: an x before the present one.
next_version() {
  cp "$file" "$dir/old"
  printf 'x' > "$dir/new"
  cat "$dir/old" >> "$dir/new"
}

# The editor itself runs in the background (no subshell), so the kill hits it.
save() {
  XDG_STATE_HOME="$dir/state" "$plicato" --batch --config "$dir/cfg" --layout windows \
    --keys '"x" Ctrl-S' --dump status "$file" > /dev/null 2>&1 &
  pid=$!
}

# round NAME: saves and kills for half the time.
round() {
  name=$1
  next_version
  # One save without a kill tells how long a save takes here.
  start=$(date +%s.%N)
  save
  wait "$pid" || { echo "kill_save: a plain $name save failed"; exit 1; }
  took=$(echo "$start $(date +%s.%N)" | awk '{ printf "%.3f", $2 - $1 }')
  cmp -s "$file" "$dir/new" || { echo "kill_save: a plain $name save did not write the new version"; exit 1; }
  next_version

  deadline=$(( $(date +%s) + seconds / 2 ))
  kills=0 completed=0 olds=0 news=0 restored=0 leftovers=0 n=0
  while :; do
    [ "$(date +%s)" -ge "$deadline" ] && break
    n=$((n + 1))
    # Delays spread over the whole save and a little past it.
    delay=$(awk -v seed="$seed" -v n="$n" -v t="$took" 'BEGIN { srand(seed * 7919 + n); printf "%.3f", rand() * t * 1.15 }')
    save
    sleep "$delay"
    if kill -KILL "$pid" 2>/dev/null; then kills=$((kills + 1)); else completed=$((completed + 1)); fi
    wait "$pid" 2>/dev/null
    if [ ! -s "$file" ]; then
      echo "kill_save: $name run $n (delay ${delay}s): the file is empty or gone"
      exit 1
    fi
    if [ -n "${link:-}" ] && [ ! "$file" -ef "$link" ]; then
      echo "kill_save: $name run $n (delay ${delay}s): the file lost its hard link"
      exit 1
    fi
    if cmp -s "$file" "$dir/old"; then
      olds=$((olds + 1))
    elif cmp -s "$file" "$dir/new"; then
      news=$((news + 1))
      next_version
    else
      # Cut off in the middle of an in-place write: the backup holds the old version.
      whole=""
      for b in "$backups"/big.c.*; do
        [ -e "$b" ] && cmp -s "$b" "$dir/old" && whole=$b
      done
      if [ -z "$whole" ]; then
        echo "kill_save: $name run $n (delay ${delay}s): the file is neither the old nor the new version, and no backup holds the old one"
        cp "$file" "${TMPDIR:-/tmp}/kill_save-broken.c" 2>/dev/null
        exit 1
      fi
      cat "$whole" > "$file"
      restored=$((restored + 1))
    fi
    # What a killed save leaves behind: its temporary file beside the file,
    # or its backup.
    for t in "$dir"/.big.c.plicato-* "$backups"/big.c.*; do
      [ -e "$t" ] && leftovers=$((leftovers + 1)) && rm -f "$t"
    done
  done
  echo "kill_save: $name: $n runs in $((seconds / 2))s (one save takes ${took}s): $kills killed, $completed finished;" \
    "file old $olds times, new $news times, put back from its backup $restored times; $leftovers temporary files or backups left by killed saves"
  [ "$kills" -ge 1 ] || { echo "kill_save: no $name save was killed"; exit 1; }
}

link=""
round rename
[ -z "$(ls -A "$backups" 2>/dev/null)" ] || { echo "kill_save: a save by rename made a backup"; exit 1; }
link="$dir/big-link.c"
ln "$file" "$link"
round in-place
