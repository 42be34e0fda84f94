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
    QList<QMetaObject::Connection> FCellsWatch;
};

} // namespace Diduza
