#!/usr/bin/env bash
# The query builder with the keyboard alone, in a real window: starts Xvfb on a free display,
# runs xvfb_keyboard (the builder dialog on the SQLite sample database, empty) and presses keys
# with xdotool: Tab to the table list, customer and orders selected with Space, Ctrl+Down and
# Ctrl+Space and added with Enter, Shift+Tab back to customer's rows, Enter ticks "name",
# Ctrl+L from "id" and the arrows in the link dialog join orders.customer_id, Enter draws it,
# Ctrl+Tab three times shows (and runs) the results, Tab to OK, Space. The statement the dialog
# returns must run and give the join's rows. Screenshots of the diagram and the results are
# written to the screenshot folder. A failed attempt is tried once more before the check fails.
#
# Without a window manager nothing gives the focus back to the builder when the link dialog
# closes; the script does it (xdotool windowfocus), as a window manager would.
#
# Usage: run_keyboard_check.sh <xvfb_keyboard program> <screenshot folder>
# Exit status: 0 passed, 1 failed, 77 skipped (Xvfb or xdotool missing).
. "$(dirname "$0")/xvfb_common.sh" "$@"

asked=0
# The name of the widget with the focus now.
focused() {
  asked=$((asked + 1))
  echo "focus $asked" >&3
  wait_for_key "FOCUS_$asked" 10 || return 1
  value "FOCUS_$asked"
}

# Waits until the program has printed a line starting with KEY $1 (at most $2 seconds).
wait_for_key() {
  for _ in $(seq $(($2 * 10))); do
    grep -q "^$1 " "$work/out" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "no $1 in $2 s"
  return 1
}

# Presses Tab until the focus is on $1 (at most 16 times).
tab_to() {
  local name
  for _ in $(seq 16); do
    name=$(focused) || return 1
    [ "$name" = "$1" ] && return 0
    xdotool key Tab
    sleep 0.1
  done
  echo "FAIL: Tab never reached $1 (last: $name)"
  return 1
}

# Checks, once the keys pressed before have been handled, that the focus is on $2.
expect_focus() {
  sleep 0.3
  check "$1" "$(focused)" "$2"
}

attempt() {
  start_program || return 1
  window=$(value WINDOW)
  xdotool windowfocus --sync "$window" 2>/dev/null || true

  tab_to lbTables || return 1
  xdotool key space ctrl+Down ctrl+Down ctrl+Down ctrl+space
  sleep 0.2
  focused >/dev/null
  check "Space, Ctrl+Down and Ctrl+Space select two tables" \
    "$(value "SELECTED_$asked")" "customer,orders"
  xdotool key Return
  sleep 0.5
  expect_focus "Enter adds them and leaves the focus in the list" lbTables

  xdotool key shift+Tab
  expect_focus "Shift+Tab reaches the last table's rows" item:orders
  xdotool key shift+Tab
  expect_focus "and the first table's" item:customer
  # "*", id, name: Enter ticks name; the focus stays on the row.
  xdotool key Down Down Return
  sleep 0.3
  expect_focus "Enter ticks the row and keeps the focus" item:customer

  # Ctrl+L from id; in the dialog: orders, Tab to its fields, "*", id, customer_id.
  xdotool key Up ctrl+l
  sleep 0.8
  expect_focus "Ctrl+L opens the link dialog" lbItems
  xdotool key Down Tab Down Down
  sleep 0.2
  expect_focus "Tab goes to the fields" lbRows
  xdotool key Return
  sleep 0.5
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.3
  expect_focus "the focus is back on the row" item:customer
  screenshot keyboard-diagram

  xdotool key ctrl+Tab ctrl+Tab ctrl+Tab
  sleep 1.5
  screenshot keyboard-results
  expect_focus "Ctrl+Tab leaves the focus where it was" item:customer
  tab_to DBGrid1 || return 1
  xdotool key Down Tab
  expect_focus "Tab leaves the results grid" btnOK
  xdotool key space

  wait_for DONE 20 || return 1
  end_program
  check "OK returns the statement" "$(value RETURNED)" "ok"
  case "$(value SQL)" in
    *"customer.name"*"INNER JOIN"*"customer.id = orders.customer_id"*)
      echo "ok:   the statement joins the two tables ($(value SQL))" ;;
    *) echo "FAIL: the statement: '$(value SQL)'"; failed=1 ;;
  esac
  check "the statement gives the join's rows" "$(value ROWS)" "$(value REFERENCE)"
  return $failed
}

run_attempts keyboard "$shots/keyboard-diagram.png $shots/keyboard-results.png"
