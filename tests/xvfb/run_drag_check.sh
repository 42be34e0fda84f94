#!/usr/bin/env bash
# Drags in a real window with a real pointer: starts Xvfb on a free display, runs xvfb_drag,
# drags a row onto a row of another item (which links them), then drags a list item by its title
# bar and a text item by its body with xdotool, and
# checks that both moved by exactly the pointer's travel and that their relations followed
# (re-routed during the drag: routing them afresh afterwards changes nothing). Screenshots of
# the screen before and after the drags are written to the screenshot folder. A failed attempt
# is tried once more before the check fails.
#
# Usage: run_drag_check.sh <xvfb_drag program> <screenshot folder>
# Exit status: 0 passed, 1 failed, 77 skipped (Xvfb or xdotool missing).
. "$(dirname "$0")/xvfb_common.sh" "$@"

attempt() {
  start_program || return 1

  read -r bx by <<<"$(value BAR)"
  read -r nx ny <<<"$(value BODY)"
  read -r sx0 sy0 <<<"$(value BEFORE_SOURCE)"
  read -r tx0 ty0 <<<"$(value BEFORE_NOTE)"
  local dx=200 dy=180 ndx=260 ndy=-40
  echo "title bar at $bx,$by; text body at $nx,$ny (screen)"
  read -r rx ry <<<"$(value ROW_SOURCE)"
  read -r qx qy <<<"$(value ROW_TARGET)"
  screenshot before

  # A row dropped on a row of another item links them.
  drag "$rx" "$ry" "$qx" "$qy"
  sleep 0.3
  screenshot linked

  drag "$bx" "$by" $((bx + dx)) $((by + dy))
  drag "$nx" "$ny" $((nx + ndx)) $((ny + ndy))
  sleep 0.5
  screenshot after

  echo report >&3
  wait_for DONE 20 || return 1
  end_program

  check "a row dropped on a row adds a relation" "$(value RELATIONS)" "3"
  check "the new relation joins the dragged row to the row under the pointer" \
    "$(value LAST_REL)" "orders.amount customer.name"
  check "list item moved by its title bar" "$(value AFTER_SOURCE)" "$((sx0 + dx)) $((sy0 + dy))"
  check "text item moved by its body" "$(value AFTER_NOTE)" "$((tx0 + ndx)) $((ty0 + ndy))"
  check_differs "relation of the list item" "$(value BEFORE_REL)" "$(value AFTER_REL)"
  check "relation of the list item routed during the drag" "$(value AFTER_REL)" "$(value ROUTED_REL)"
  check_differs "relation of the text item" "$(value BEFORE_NOTEREL)" "$(value AFTER_NOTEREL)"
  check "relation of the text item routed during the drag" "$(value AFTER_NOTEREL)" \
    "$(value ROUTED_NOTEREL)"
  if [ $have_import = 1 ] && cmp -s "$shots/before.png" "$shots/after.png"; then
    echo "FAIL: the screen did not change"
    failed=1
  fi
  return $failed
}

run_attempts drag "$shots/before.png $shots/linked.png $shots/after.png"
