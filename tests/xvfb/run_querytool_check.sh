#!/usr/bin/env bash
# The builder's SQL and results pages as a query tool, in a real window with a real keyboard and
# pointer: starts Xvfb on a free display, runs xvfb_querytool on the SQLite sample database and
# types with xdotool into the SQL page a statement with a mistake (the page marks it and names
# it), types it right and presses F5 (the rows show), then types a statement that runs for a
# long time, presses F5 and clicks Cancel (the status says cancelled). Screenshots of each step
# are written to the screenshot folder. A failed attempt is tried once more before the check
# fails.
#
# Usage: run_querytool_check.sh <xvfb_querytool program> <screenshot folder>
# Exit status: 0 passed, 1 failed, 77 skipped (Xvfb or xdotool missing).
. "$(dirname "$0")/xvfb_common.sh" "$@"

wrong="SELECT name, FROM customer"
right="SELECT name FROM customer"
slow="WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000000000)"
slow+=" SELECT COUNT(*) FROM c"

# Replaces the SQL page's text by typing $1.
type_sql() {
  read -r mx my <<<"$(value MEMO)"
  xdotool mousemove "$mx" "$my" click 1 sleep 0.2 key ctrl+a sleep 0.1
  xdotool type --delay 8 "$1"
}

report() {
  echo "report $1" >&3
  wait_for "DONE $1" 20
}

attempt() {
  start_program || return 1
  xdotool windowfocus --sync "$(value WINDOW)" 2>/dev/null || true

  # A mistake: marked at "FROM" once typing stops, its message beside it.
  type_sql "$wrong"
  sleep 1
  screenshot querytool-mistake
  report 1 || return 1
  check "the typed text is on the SQL page" "$(value TEXT)" "$wrong"
  check "the error points at FROM" "$(value ERRORAT)" "13"
  check "the mark covers FROM" "$(value MARK)" "13 17"
  case "$(value LABEL)" in
    *syntax*FROM*) echo "ok:   the label names the error ($(value LABEL))" ;;
    *) echo "FAIL: the label: '$(value LABEL)'"; failed=1 ;;
  esac

  # Put right and run with F5: the mark goes, the rows show.
  type_sql "$right"
  sleep 0.8
  xdotool key F5
  sleep 1.5
  screenshot querytool-rows
  report 2 || return 1
  check "the fixed text has no mark" "$(value MARK)" "none"
  check "F5 shows the results page" "$(value PAGE)" "Results"
  check "the results page holds every customer" "$(value ROWS)" "$(value REFERENCE)"
  case "$(value STATUS)" in
    "$(value REFERENCE) row(s), "*) echo "ok:   the status counts the rows ($(value STATUS))" ;;
    *) echo "FAIL: the status: '$(value STATUS)'"; failed=1 ;;
  esac

  # A long statement, cancelled by a click on Cancel.
  read -r tx ty <<<"$(value SQLTAB)"
  xdotool mousemove "$tx" "$ty" click 1 sleep 0.3
  type_sql "$slow"
  xdotool key F5
  sleep 1
  report 3 || return 1
  check "the long statement runs" "$(value RUNNING)" "1"
  screenshot querytool-running
  read -r cx cy <<<"$(value CANCEL)"
  xdotool mousemove "$cx" "$cy" click 1
  sleep 0.7
  screenshot querytool-cancelled
  report 4 || return 1
  check "Cancel ends it" "$(value RUNNING)" "0"
  case "$(value STATUS)" in
    Cancelled*) echo "ok:   the status says cancelled ($(value STATUS))" ;;
    *) echo "FAIL: the status: '$(value STATUS)'"; failed=1 ;;
  esac

  end_program
  return $failed
}

run_attempts "query tool" "$shots/querytool-*.png"
