#!/usr/bin/env bash
# Checks the library's #include lines against the table "Include directions" of
# docs/ARCHITECTURE.md: every edge from one folder of src/ to another must stand in the table,
# and every edge in the table must be one the code has, so that the table stays true.
# The folders wholly in DiduzaCore include no widget header either.
#   check_includes.sh <source root>
set -uo pipefail
root=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
doc=$root/docs/ARCHITECTURE.md
cd "$root/src" || exit 2

# "| `from` | `to`, `to` |" rows of the table, as "from to" lines; "-" for a folder that
# includes no other.
allowed=$(awk '
  /^## Include directions/ { on = 1; next }
  on && /^## / { exit }
  on && /^\| `/ {
    n = split($0, cell, "|")
    from = cell[2]; gsub(/[` ]/, "", from)
    to = cell[3]; gsub(/[` ]/, "", to)
    if (to == "" || to == "-" || to == "—") { print from " -"; next }
    m = split(to, list, ",")
    for (i = 1; i <= m; ++i) print from " " list[i]
  }' "$doc" | sort -u)
if [ -z "$allowed" ]; then
  echo "no table \"Include directions\" in $doc"
  exit 1
fi

# The edges the code has: "from to file:line" for every include of a header of another folder.
found=$(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort | while read -r file; do
  from=$(dirname "$file")
  grep -nE '^#include "[^"]+/[^"/]+\.h"' "$file" | while IFS= read -r line; do
    header=$(sed -E 's/^[0-9]+:#include "([^"]+)".*/\1/' <<<"$line")
    [ -f "$header" ] || continue
    to=$(dirname "$header")
    [ "$to" = "$from" ] || echo "$from $to src/$file:${line%%:*}"
  done
done)

status=0
while read -r from to where; do
  [ -n "$from" ] || continue
  if ! grep -qxF "$from $to" <<<"$allowed"; then
    echo "$where: $from includes $to, which the table \"Include directions\" does not allow"
    status=1
  fi
done <<<"$found"

edges=$(awk '{ print $1 " " $2 }' <<<"$found" | sort -u)
while read -r from to; do
  [ "$to" = "-" ] && continue
  if ! grep -qxF "$from $to" <<<"$edges"; then
    echo "ARCHITECTURE.md: the table allows $from -> $to, which no file of $from has"
    status=1
  fi
done <<<"$allowed"

folders=$(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | xargs -n1 dirname | sort -u)
while read -r folder; do
  if ! grep -q "^$folder " <<<"$allowed"; then
    echo "ARCHITECTURE.md: the folder $folder has no row in the table \"Include directions\""
    status=1
  fi
done <<<"$folders"

# Widget-free folders: nothing of Qt Widgets, Gui's painting or the components.
for folder in diagram/model sqlparser; do
  if hits=$(grep -nE '^#include <(Qt(Widgets|Gui)/.*|Q[A-Za-z]*(Widget|Box|Edit|Dialog|Menu|Action)|QPainter|QApplication|QGuiApplication|QAbstract(ScrollArea|ItemView)|Q(Tree|List|Table|Graphics)View)>' \
      -r "$folder" --include='*.h' --include='*.cpp'); then
    sed 's|^|src/|; s|$|: a widget header in a folder of DiduzaCore|' <<<"$hits"
    status=1
  fi
done

[ $status -eq 0 ] && echo "include directions: $(wc -l <<<"$edges") edges, all as the table says"
exit $status
