#pragma once

// A scroll box's own state: the two parts of the control list with their indexes and
// versions, the grid of windowed children, the captured control and the pending range update.
// Not installed.

#include "platform/TScrollBox.h"

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QVector>

namespace Diduza {

class TScrollBoxPrivate {
public:
    QVector<TGraphicControl *> FGraphics;
    QVector<QWidget *> FWindowed;
    QHash<const QObject *, int> FGraphicIndex;
    QHash<const QObject *, int> FWindowedIndex;
    bool FGraphicIndexValid = true;
    bool FWindowedIndexValid = true;
    quint64 FListVersion = 0;
    quint64 FListShapeVersion = 0;
    // Where the windowed children stand, to find the ones that cover a rectangle: a grid of
    // square cells in content coordinates (client coordinates plus the scroll position, which
    // scrolling leaves alone), filled from the children's move, resize, show and hide events.
    // It may lag behind a child that changed unseen; OpaqueChildrenIn checks each candidate's
    // real geometry, so a lag costs a larger repaint, never a wrong one.
    QHash<quint64, QVector<const QObject *>> FGrid;
    QHash<const QObject *, QRect> FGridRects;
    QVector<const QObject *> FGridHuge; // children too large for the grid: always candidates
    TColor FColor = clBtnFace;
    QPointer<TGraphicControl> FCaptured;
    bool FRangePending = false;
    bool FScrolling = false;
    bool FUpdatingRange = false;
};

} // namespace Diduza
