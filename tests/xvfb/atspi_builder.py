#!/usr/bin/python3
"""A screen reader's view of the query builder, through AT-SPI (run_atspi_check.sh).

Finds the xvfb_keyboard program on the accessibility bus, reads the builder as an assistive
technology does and builds a two-table join with synthesized key presses only: the tables of
the list, the tables of the diagram, each table's rows with their ticks, each relation by its
join, the column grid's cells with their row names, the statement on the SQL page. Prints one
"KEY value" line per finding; the shell script compares them. Exit status 0 when it got
through, 1 when something it waited for did not come (the last line says what).

Usage: atspi_builder.py <X window id of the builder>
"""

import subprocess
import sys
import time

import pyatspi

CONTROL = 1 << 2  # the X modifier masks, as AT-SPI locks them
SHIFT = 1 << 0
KEYSYMS = {
    "Tab": 0xFF09, "Return": 0xFF0D, "Up": 0xFF52, "Down": 0xFF54, "space": 0x20, "l": 0x6C,
}


class Missing(Exception):
    pass


def say(key, value):
    print(key, value, flush=True)


def wait(what, find, seconds=15.0):
    """Asks find() until it answers something other than None."""
    end = time.monotonic() + seconds
    while True:
        try:
            found = find()
        except Exception:  # an object went away while it was read: ask again
            found = None
        if found is not None:
            return found
        if time.monotonic() > end:
            raise Missing(what)
        time.sleep(0.1)


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def find(acc, role, name=None, depth=14):
    """The first object below acc (acc included) with this role (and name)."""
    if acc is None or depth < 0:
        return None
    if acc.getRole() == role and (name is None or acc.name == name):
        return acc
    for child in children(acc):
        found = find(child, role, name, depth - 1)
        if found is not None:
            return found
    return None


def focused(acc):
    return acc.getState().contains(pyatspi.STATE_FOCUSED)


def key(name, modifiers=0):
    registry = pyatspi.Registry
    if modifiers:
        registry.generateKeyboardEvent(modifiers, None, pyatspi.KEY_LOCKMODIFIERS)
    registry.generateKeyboardEvent(KEYSYMS[name], None, pyatspi.KEY_SYM)
    if modifiers:
        registry.generateKeyboardEvent(modifiers, None, pyatspi.KEY_UNLOCKMODIFIERS)
    time.sleep(0.15)


def keys(*names):
    for name in names:
        key(name)


def until_focused(what, acc, press):
    """Presses press (a key name) until acc has the focus, at most 16 times."""
    for _ in range(16):
        if focused(acc):
            return
        key(*press)
        time.sleep(0.1)
    raise Missing(what)


def main():
    window_id = sys.argv[1]
    desktop = pyatspi.Registry.getDesktop(0)
    app = wait("the program on the accessibility bus",
               lambda: next((a for a in children(desktop) if a.name == "xvfb_keyboard"), None),
               30)
    builder = wait("the builder's window", lambda: find(app, pyatspi.ROLE_DIALOG, "Query builder"))
    tables = wait("the table list", lambda: find(builder, pyatspi.ROLE_LIST, "Tables"))
    say("LIST", ",".join(entry.name for entry in children(tables)))
    canvas = wait("the diagram", lambda: find(builder, pyatspi.ROLE_CANVAS))

    # Tab to the table list; customer with Space, orders with Ctrl+Space; Enter adds both.
    until_focused("the focus on the table list", tables, ("Tab",))
    key("space")
    for _ in range(3):
        key("Down", CONTROL)
    key("space", CONTROL)
    say("SELECTED", ",".join(e.name for e in children(tables)
                             if e.getState().contains(pyatspi.STATE_SELECTED)))
    key("Return")

    def items():
        found = [c for c in children(canvas) if c.getRole() != pyatspi.ROLE_LINK]
        return found if len(found) == 2 else None

    customer, orders = wait("two tables on the diagram", items)
    say("DIAGRAM", ",".join(item.name for item in (customer, orders)))
    customer_rows = wait("customer's rows", lambda: find(customer, pyatspi.ROLE_LIST))

    # Shift+Tab twice to customer's rows; Enter on its third row ("name") ticks it.
    until_focused("the focus on customer's rows", customer_rows, ("Tab", SHIFT))
    keys("Down", "Down", "Return")

    def rows(item):
        rows_list = find(item, pyatspi.ROLE_LIST)
        return ",".join(row.name + ("+" if row.getState().contains(pyatspi.STATE_CHECKED) else "")
                        for row in children(rows_list))

    # Ctrl+L from "id": in the link dialog orders, Tab, its customer_id, Enter.
    key("Up")
    key("l", CONTROL)
    link = wait("the link dialog", lambda: find(app, pyatspi.ROLE_DIALOG, "Link to"))
    wait("the link dialog's table list focused",
         lambda: True if focused(find(link, pyatspi.ROLE_LIST)) else None)
    keys("Down", "Tab", "Down", "Down", "Return")
    wait("the link dialog closed", lambda: None if find(app, pyatspi.ROLE_DIALOG, "Link to")
         else True)
    # No window manager gives the builder its focus back; this stands in for it.
    subprocess.run(["xdotool", "windowfocus", "--sync", window_id], check=False)

    def relations():
        found = [c.name for c in children(canvas) if c.getRole() == pyatspi.ROLE_LINK]
        return found or None

    say("RELATIONS", " | ".join(wait("a relation", relations)))
    say("ROWS_customer", rows(customer))
    say("ROWS_orders", rows(orders))

    # The column grid: each shown cell with the name of its row.
    grid = find(builder, pyatspi.ROLE_TABLE, "Columns").queryTable()
    for row in range(grid.nRows):
        cells = []
        for col in range(1, grid.nColumns):
            cell = grid.getAccessibleAt(row, col)
            if cell is not None and cell.getState().contains(pyatspi.STATE_VISIBLE):
                cells.append(cell.name)
        if cells:
            say("GRID_" + grid.getRowDescription(row), " | ".join(cells))

    # Ctrl+Tab twice: the SQL page and its statement.
    wait("the focus back in the builder",
         lambda: True if focused(find(customer, pyatspi.ROLE_LIST)) else None)
    key("Tab", CONTROL)
    key("Tab", CONTROL)
    memo = find(builder, pyatspi.ROLE_TEXT, "SQL").queryText()
    statement = wait("the statement on the SQL page",
                     lambda: memo.getText(0, -1) or None)
    say("SQL", " ".join(statement.split()))

    # Tab on to OK, Space.
    ok = find(builder, pyatspi.ROLE_PUSH_BUTTON, "OK")
    until_focused("the focus on OK", ok, ("Tab",))
    key("space")
    say("CLIENT", "done")


if __name__ == "__main__":
    try:
        main()
    except Missing as missing:
        say("MISSING", str(missing))
        sys.exit(1)
