#!/usr/bin/env bash
# A calculated column in a real window with a real keyboard and pointer: starts Xvfb, runs
# xvfb_calculated on the SQLite sample database, clicks the Field cell of the empty column and
# types "total: orders.amount * 2" and Return, opens the column's Sort cell and clicks
# "Descending" in its list, presses Execute, and checks the column, the statement, the rows and
# the column that a builder reopened on the statement shows. Screenshots after the typing and
# after Execute go to the screenshot folder. A failed attempt is tried once more.
#
# Usage: run_calculated_check.sh <xvfb_calculated program> <screenshot folder>
# Exit status: 0 passed, 1 failed, 77 skipped (Xvfb or xdotool missing).
. "$(dirname "$0")/xvfb_common.sh" "$@"

attempt() {
  start_program || return 1

  read -r fx fy <<<"$(value FIELD)"
  xdotool mousemove "$fx" "$fy" sleep 0.1 click 1 sleep 0.5
  xdotool type --delay 40 "total: orders.amount * 2"
  xdotool key Return
  sleep 0.5
  screenshot calculated-typed

  echo sortcell >&3
  sleep 0.5
  read -r sx sy <<<"$(value SORT)"
  xdotool mousemove "$sx" "$sy" sleep 0.1 click 1 sleep 0.5
  echo sortlist >&3
  wait_for "LISTED ok" 20 || return 1
  read -r lx ly <<<"$(value DESC)"
  xdotool mousemove "$lx" "$ly" sleep 0.2 click 1 sleep 0.5

  echo exec >&3
  sleep 0.5
  read -r ex ey <<<"$(value EXEC)"
  xdotool mousemove "$ex" "$ey" sleep 0.1 click 1 sleep 1.5
  screenshot calculated-executed

  echo report >&3
  wait_for DONE 30 || return 1
  end_program

  local sql
  sql=$(value SQL)
  check "the typed expression is the column's, named" "$(value CALCULATED)" \
    "orders.amount * 2|Descending|total"
  check "the statement sorts by it" "${sql#*ORDER BY }" "orders.amount * 2 DESC"
  check "the statement runs on every order" "$(value ROWS)" "$(value REFERENCE)"
  check "reopened, the builder shows the column" "$(value REOPENED)" \
    "orders.amount * 2|Descending|total"
  return $failed
}

run_attempts calculated "$shots/calculated-typed.png $shots/calculated-executed.png"
