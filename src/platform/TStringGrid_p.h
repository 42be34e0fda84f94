#pragma once

// A string grid's own state: its counts and sizes, events, the mouse's column drag or resize,
// and the watch that counts changes of the cells. Not installed.

#include "platform/TStringGrid.h"

#include <QList>
#include <QMetaObject>
#include <QPoint>

namespace Diduza {

class TStringGridPrivate {
public:
    int FRowCount = 0;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    bool FColumnsMovable = false;
    bool FColumnsSizable = false;
    TColor FFixedColor = clBtnFace;
    TDrawCellEvent FOnDrawCell;
    TSelectCellEvent FOnSelectCell;
    TMovedEvent FOnColumnMoved;
    TCellTextEvent FOnGetAccessibleText;

    enum MouseMode { MouseNone, MouseMoving, MouseSizing };
    MouseMode FMouseMode = MouseNone;
    int FMouseColumn = -1;
    QPoint FPressPos;
    bool FDragStarted = false;
    bool FFixingOrder = false;
    quint64 FCellsVersion = 0;
    // The last column position holds a hidden, empty column kept from a deletion for the next
    // column added at the end: Qt's table moves every cell of the table to add or delete a
    // column, while showing and hiding one costs next to nothing, and a tick of the builder
    // adds or deletes a column at the end of grids thousands of columns wide.
    bool FHasSpareColumn = false;
    QList<QMetaObject::Connection> FCellsWatch;
};

} // namespace Diduza
