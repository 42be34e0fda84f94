#!/usr/bin/env bash
# The query builder in a real window with a real pointer: starts Xvfb on a free display, runs
# xvfb_builder on the SQLite sample database, drags the table "customer" from the table list
# onto the design area, ticks its field "name" by a click on the row's check box, presses
# Execute and reads the row count from the results page. Screenshots of the screen after the
# drop and after Execute are written to the screenshot folder. A failed attempt is tried once
# more before the check fails.
#
# Usage: run_builder_check.sh <xvfb_builder program> <screenshot folder>
# Exit status: 0 passed, 1 failed, 77 skipped (Xvfb or xdotool missing).
. "$(dirname "$0")/xvfb_common.sh" "$@"

attempt() {
  start_program || return 1

  read -r tx ty <<<"$(value TABLE)"
  read -r dx dy <<<"$(value DROP)"
  drag "$tx" "$ty" "$dx" "$dy"
  sleep 0.5
  screenshot builder-dropped

  echo locate >&3
  wait_for "LOCATED ok" 20 || return 1
  read -r rx ry <<<"$(value ROW)"
  read -r ex ey <<<"$(value EXEC)"
  xdotool mousemove "$rx" "$ry" sleep 0.1 click 1 sleep 0.3
  xdotool mousemove "$ex" "$ey" sleep 0.1 click 1 sleep 1
  screenshot builder-executed

  echo report >&3
  wait_for DONE 20 || return 1
  end_program

  check "the dropped table stands where it was dropped" "$(value ITEMS)" "customer@120,60"
  check "ticking name unticks *" "$(value TICKED)" "customer.name"
  check "Execute shows the results page" "$(value PAGE)" "Results"
  check "the results page holds every customer" "$(value ROWS)" "$(value REFERENCE)"
  return $failed
}

run_attempts builder "$shots/builder-dropped.png $shots/builder-executed.png"
