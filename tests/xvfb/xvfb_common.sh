# Shared by the real-window checks: starts Xvfb on a free display, runs a program that prints
# "KEY value ..." lines and reads commands (one a line, on file descriptor 3), drives the pointer
# with xdotool, and tries a check twice before it fails.
#
# A check script sources it with its own arguments, then defines attempt (start_program ...
# end_program, the checks, "return $failed") and calls run_attempts:
#   . "$(dirname "$0")/xvfb_common.sh" "$@"
# Arguments: <program> <screenshot folder>. Exit status of the check: 0 passed, 1 failed,
# 77 skipped (Xvfb or xdotool missing), 2 wrong arguments.
set -u

if [ $# -ne 2 ]; then
  echo "usage: $(basename "$0") <program> <screenshot folder>"
  exit 2
fi
program=$1
shots=$2
skip=77

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/install-deps installs xvfb and xdotool)"
    exit $skip
  fi
done
have_import=1
command -v import >/dev/null 2>&1 || have_import=0

mkdir -p "$shots"
work=$(mktemp -d)
xvfb_pid=
app_pid=

stop() {
  exec 3>&- 2>/dev/null || true
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  app_pid=
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
}
trap 'stop; rm -rf "$work"' EXIT

start_xvfb() {
  rm -f "$work/display"
  # -displayfd picks a display number that is free and writes it once the server is ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:"
    cat "$work/xvfb.log"
    return 1
  fi
  export DISPLAY=":$(head -n1 "$work/display")"
}

# Starts Xvfb and the program on it, with its input on a pipe open as file descriptor 3, and
# waits until the program says READY. Resets failed.
start_program() {
  failed=0
  start_xvfb || return 1
  rm -f "$work/in" "$work/out" "$work/err"
  mkfifo "$work/in"
  QT_QPA_PLATFORM=xcb "$program" <"$work/in" >"$work/out" 2>"$work/err" &
  app_pid=$!
  exec 3>"$work/in"
  wait_for READY 30
}

# Tells the program to quit and waits until it has.
end_program() {
  echo quit >&3
  exec 3>&-
  wait "$app_pid"
  app_pid=
}

# Runs attempt up to twice, stopping Xvfb after each; on success lists the screenshots ($2)
# and says "$1 check passed", on the second failure the program's errors. Exits the script.
run_attempts() {
  local try
  for try in 1 2; do
    if attempt; then
      stop
      echo "screenshots: $2"
      echo "$1 check passed (attempt $try)"
      exit 0
    fi
    stop
    echo "attempt $try failed"
    [ -s "$work/err" ] && cat "$work/err"
  done
  exit 1
}

# Waits until the program has printed the line $1 (at most $2 seconds).
wait_for() {
  for _ in $(seq $(($2 * 10))); do
    grep -qx "$1" "$work/out" 2>/dev/null && return 0
    if ! kill -0 "$app_pid" 2>/dev/null; then
      echo "$(basename "$program") ended early:"
      cat "$work/err"
      return 1
    fi
    sleep 0.1
  done
  echo "$(basename "$program") did not print $1 in $2 s; it printed:"
  tail -n 5 "$work/out"
  return 1
}

# The values printed after KEY.
value() {
  awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print }' "$work/out" | tail -n1
}

screenshot() {
  if [ $have_import = 1 ]; then
    import -window root "$shots/$1.png" 2>>"$work/err" || echo "screenshot $1 failed"
  fi
}

# Presses at (x1, y1), moves past the drag distance, then to (x2, y2) and releases there.
drag() {
  xdotool mousemove "$1" "$2" mousedown 1 sleep 0.1 mousemove $(($1 + 20)) "$2" sleep 0.1 \
    mousemove "$3" "$4" sleep 0.1 mouseup 1
}

check() {
  if [ "$2" = "$3" ]; then
    echo "ok:   $1 ($2)"
  else
    echo "FAIL: $1: got '$2', expected '$3'"
    failed=1
  fi
}

check_differs() {
  if [ "$2" != "$3" ]; then
    echo "ok:   $1 ($2 -> $3)"
  else
    echo "FAIL: $1: still '$2'"
    failed=1
  fi
}

