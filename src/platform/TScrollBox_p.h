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
    QVector<TGraphicControl *> m_graphics;
    QVector<QWidget *> m_windowed;
    QHash<const QObject *, int> m_graphicIndex;
    QHash<const QObject *, int> m_windowedIndex;
    bool m_graphicIndexValid = true;
    bool m_windowedIndexValid = true;
    quint64 m_listVersion = 0;
    quint64 m_listShapeVersion = 0;
    // Where the windowed children stand, to find the ones that cover a rectangle: a grid of
    // square cells in content coordinates (client coordinates plus the scroll position, which
    // scrolling leaves alone), filled from the children's move, resize, show and hide events.
    // It may lag behind a child that changed unseen; OpaqueChildrenIn checks each candidate's
    // real geometry, so a lag costs a larger repaint, never a wrong one.
    QHash<quint64, QVector<const QObject *>> m_grid;
    QHash<const QObject *, QRect> m_gridRects;
    QVector<const QObject *> m_gridHuge; // children too large for the grid: always candidates
    TColor m_color = clBtnFace;
    QPointer<TGraphicControl> m_captured;
    bool m_rangePending = false;
    bool m_scrolling = false;
    bool m_updatingRange = false;
};

} // namespace Diduza
