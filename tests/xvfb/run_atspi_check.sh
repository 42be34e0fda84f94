#!/usr/bin/env bash
# The query builder as a screen reader meets it: starts a D-Bus session of its own (with it
# the accessibility bus of at-spi2-core), Xvfb on a free display and xvfb_keyboard with Qt's
# AT-SPI bridge on, then atspi_builder.py (python3-pyatspi) reads the builder through AT-SPI and
# builds a two-table join with synthesized key presses. Checked: the table list, the diagram's
# tables, their rows with ticks, the relation by its join text, the grid's cells by row, the
# statement on the SQL page, and the statement OK returns. A failed attempt is tried once more,
# on a new session bus.
#
# Usage: run_atspi_check.sh <xvfb_keyboard program> <screenshot folder>
# Exit status: 0 passed, 1 failed, 77 skipped (Xvfb, xdotool, D-Bus, at-spi2-core or
# python3-pyatspi missing: scripts/install-deps installs them).
set -u
if [ -z "${DIDUZA_ATSPI_SESSION:-}" ]; then
  missing=
  command -v dbus-run-session >/dev/null 2>&1 || missing="dbus-run-session (dbus-daemon)"
  command -v dbus-update-activation-environment >/dev/null 2>&1 \
    || missing="${missing:+$missing, }dbus-update-activation-environment (dbus-bin)"
  [ -x /usr/libexec/at-spi-bus-launcher ] || missing="${missing:+$missing, }at-spi2-core"
  /usr/bin/python3 -c 'import pyatspi' >/dev/null 2>&1 \
    || missing="${missing:+$missing, }python3-pyatspi"
  if [ -n "$missing" ]; then
    echo "SKIP: $missing not installed (scripts/install-deps installs them)"
    exit 77
  fi
  # Each attempt on a session bus of its own, which ends with it: the accessibility bus and
  # its registry start there for the attempt's display.
  export DIDUZA_ATSPI_SESSION=1
  for try in 1 2; do
    dbus-run-session -- bash "$0" "$@" 2> >(grep -v '^dbus-daemon\|fd limit' >&2)
    status=$?
    if [ $status -eq 0 ]; then
      echo "AT-SPI check passed (attempt $try)"
      exit 0
    fi
    [ $status -eq 77 ] && exit 77
    echo "attempt $try failed"
  done
  exit 1
fi
. "$(dirname "$0")/xvfb_common.sh" "$@"
client="$(dirname "$0")/atspi_builder.py"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The session's services (the accessibility bus, its registry, which synthesizes the keys) are
# started on demand, on the display they are told of.
eval "xvfb_only_$(declare -f start_xvfb)"
start_xvfb() {
  xvfb_only_start_xvfb || return 1
  dbus-update-activation-environment DISPLAY >/dev/null 2>&1
}

attempt() {
  start_program || return 1
  window=$(value WINDOW)
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  timeout 50 /usr/bin/python3 "$client" "$window" >"$work/client" 2>"$work/client.err"
  local client_status=$?
  cat "$work/client" | sed 's/^/client: /'
  if [ $client_status -ne 0 ]; then
    echo "FAIL: the AT-SPI client stopped ($client_status): $(tail -n1 "$work/client")"
    cat "$work/client.err"
    return 1
  fi
  wait_for DONE 20 || return 1
  screenshot atspi-returned
  end_program

  seen() { awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print }' "$work/client" | tail -n1; }
  check "the table list" "$(seen LIST)" "customer,employees,order details,orders,products,suppliers"
  check "two tables selected by keys" "$(seen SELECTED)" "customer,orders"
  check "the diagram's tables" "$(seen DIAGRAM)" "customer,orders"
  check "customer's rows and ticks" "$(seen ROWS_customer)" \
    "*,id,name+,contact,city,country,phone,since"
  check "orders' rows and ticks" "$(seen ROWS_orders)" \
    "*+,id,customer_id,employee_id,order_date,shipped_date,ship_city,amount"
  check "the relation by its join" "$(seen RELATIONS)" "customer.id = orders.customer_id"
  check "the grid's fields" "$(seen GRID_Field)" "orders.* | customer.name"
  check "the grid's tables" "$(seen GRID_Table)" "orders | customer"
  check "the grid's grouping" "$(seen GRID_Grouping)" "not ticked | not ticked"
  case "$(seen SQL)" in
    *"customer.name"*"INNER JOIN"*"customer.id = orders.customer_id"*)
      echo "ok:   the SQL page reads the join ($(seen SQL))" ;;
    *) echo "FAIL: the SQL page: '$(seen SQL)'"; failed=1 ;;
  esac
  check "OK returns the statement" "$(value RETURNED)" "ok"
  check "the returned statement is the SQL page's" "$(value SQL)" "$(seen SQL)"
  check "it gives the join's rows" "$(value ROWS)" "$(value REFERENCE)"
  return $failed
}

# One attempt in this session; the caller above tries again.
if attempt; then
  stop
  echo "screenshot: $shots/atspi-returned.png"
  exit 0
fi
stop
[ -s "$work/err" ] && cat "$work/err"
exit 1
