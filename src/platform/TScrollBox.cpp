#include "platform/TScrollBox.h"

#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/TGraphicControl.h"

#include <QChildEvent>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRect>
#include <QScopeGuard>
#include <QScrollBar>
#include <QToolTip>
#include <QVector>

#include <algorithm>

namespace Diduza {

// A scroll box's own state: the two parts of the control list with their indexes and
// versions, the grid of windowed children, the captured control and the pending range update.
class TScrollBoxPrivate {
public:
    explicit TScrollBoxPrivate(TScrollBox *owner)
        : q(owner)
    {
    }

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

    void windowedChildAdded(QWidget *child);
    void windowedChildRemoved(QObject *child);
    // A windowed child moved, resized, showed or hid.
    void windowedChildEvent(QWidget *child, QEvent::Type type);
    void scheduleRangeUpdate();
    // Keeps the grid of windowed children current for child.
    void placeInGrid(QWidget *child);
    void dropFromGrid(const QObject *child);
    template <typename F> void forCells(const QRect &content, F &&f) const;

    TScrollBox *const q;
};

TScrollBox::TScrollBox(QWidget *parent)
    : QAbstractScrollArea(parent)
    , d(std::make_unique<TScrollBoxPrivate>(this))
{
    viewport()->installEventFilter(this);
    viewport()->setAutoFillBackground(false);
    // paintEvent fills whatever it repaints: scrolling may then copy what stays in view.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(8);
    verticalScrollBar()->setSingleStep(8);
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
}

TScrollBox::~TScrollBox()
{
    DestroyChildren();
    viewport()->removeEventFilter(this);
}

int TScrollBox::ControlCount() const
{
    return int(d->FGraphics.size() + d->FWindowed.size());
}

const QVector<TGraphicControl *> &TScrollBox::GraphicControls() const
{
    return d->FGraphics;
}

const QVector<QWidget *> &TScrollBox::WindowedControls() const
{
    return d->FWindowed;
}

quint64 TScrollBox::ControlListVersion() const
{
    return d->FListVersion;
}

quint64 TScrollBox::ControlListShapeVersion() const
{
    return d->FListShapeVersion;
}

TColor TScrollBox::Color() const
{
    return d->FColor;
}

QRegion UniteRects(const QVector<QRect> &rects)
{
    // Pairwise, level by level: adding many small rectangles to one growing region one at a
    // time costs the square of their number.
    QVector<QRegion> level;
    level.reserve(rects.size());
    for (const QRect &r : rects) {
        if (!r.isEmpty())
            level.append(QRegion(r));
    }
    while (level.size() > 1) {
        QVector<QRegion> next;
        next.reserve((level.size() + 1) / 2);
        for (int i = 0; i + 1 < level.size(); i += 2)
            next.append(level[i].united(level[i + 1]));
        if (level.size() % 2)
            next.append(level.last());
        level = std::move(next);
    }
    return level.isEmpty() ? QRegion() : level.first();
}

namespace {
// Reaches a control's shown rectangles, which the scroll box keeps up to date.
struct ShownAccess : TGraphicControl {
    static QVector<QRect> TGraphicControl::*member() { return &ShownAccess::FShown; }
};
QVector<QRect> &shownRectsOf(TGraphicControl *control)
{
    return control->*ShownAccess::member();
}

// The position of control in part through its index, rebuilt first when it is stale.
template <typename T>
int positionIn(const QVector<T *> &part, QHash<const QObject *, int> &index, bool &valid,
    const QObject *control)
{
    if (!valid) {
        index.clear();
        index.reserve(part.size());
        for (int i = 0; i < part.size(); ++i)
            index.insert(part[i], i);
        valid = true;
    }
    return index.value(control, -1);
}

// Takes control off part; the index stays current when it was the last entry.
template <typename T>
bool removeFrom(
    QVector<T *> &part, QHash<const QObject *, int> &index, bool &valid, const QObject *control)
{
    const int i = positionIn(part, index, valid, control);
    if (i < 0)
        return false;
    part.removeAt(i);
    index.remove(control);
    if (i != part.size())
        valid = false; // the entries behind it moved up
    return true;
}
} // namespace

QObject *TScrollBox::Controls(int index) const
{
    const int graphics = int(d->FGraphics.size());
    if (index < 0 || index >= ControlCount())
        return nullptr;
    if (index < graphics)
        return d->FGraphics[index];
    return d->FWindowed[index - graphics];
}

int TScrollBox::IndexOfControl(const QObject *control) const
{
    if (!control)
        return -1;
    const int g = positionIn(d->FGraphics, d->FGraphicIndex, d->FGraphicIndexValid, control);
    if (g >= 0)
        return g;
    const int w = positionIn(d->FWindowed, d->FWindowedIndex, d->FWindowedIndexValid, control);
    return w >= 0 ? int(d->FGraphics.size()) + w : -1;
}

void TScrollBox::RemoveWindowedControl(QWidget *child)
{
    if (child && child->parentWidget() == viewport()) {
        child->hide();
        child->setParent(nullptr);
    }
}

void TScrollBox::SetColor(TColor Value)
{
    if (d->FColor == Value)
        return;
    d->FColor = Value;
    viewport()->update();
}

QPoint TScrollBox::ScrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TScrollBox::EnsureVisible(const QRect &Rect, int Margin)
{
    UpdateScrollRange();
    const QRect view = viewport()->rect();
    const QRect want = Rect.adjusted(-Margin, -Margin, Margin, Margin);
    auto delta = [](int low, int high, int viewLow, int viewHigh) {
        if (low < viewLow || high - low > viewHigh - viewLow)
            return low - viewLow;
        return high > viewHigh ? high - viewHigh : 0;
    };
    const int dx = delta(want.left(), want.right(), view.left(), view.right());
    const int dy = delta(want.top(), want.bottom(), view.top(), view.bottom());
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
}

namespace {
// Moves control within part to position to (bounded to the part); the index is rebuilt on
// next use when anything moved.
template <typename T>
bool moveWithin(QVector<T *> &part, QHash<const QObject *, int> &index, bool &valid,
    const QObject *control, int to)
{
    const int from = positionIn(part, index, valid, control);
    if (from < 0)
        return false;
    to = qBound(0, to, int(part.size()) - 1);
    if (to != from) {
        part.move(from, to);
        valid = false;
    }
    return to != from;
}
} // namespace

void TScrollBox::MoveControlTo(QObject *Control, int Index)
{
    const int graphics = int(d->FGraphics.size());
    if (moveWithin(d->FGraphics, d->FGraphicIndex, d->FGraphicIndexValid, Control, Index)) {
        ++d->FListVersion;
        ++d->FListShapeVersion;
        GraphicControlsReordered();
        viewport()->update();
    } else if (moveWithin(d->FWindowed, d->FWindowedIndex, d->FWindowedIndexValid, Control,
                   Index - graphics)) {
        ++d->FListVersion;
        ++d->FListShapeVersion;
    }
}

void TScrollBox::InsertGraphicControl(TGraphicControl *control)
{
    if (!control || IndexOfControl(control) >= 0)
        return;
    d->FGraphics.append(control);
    if (d->FGraphicIndexValid)
        d->FGraphicIndex.insert(control, int(d->FGraphics.size()) - 1);
    ++d->FListVersion;
    GraphicControlInserted(control);
    GraphicControlChanged(control, true);
}

void TScrollBox::RemoveGraphicControl(TGraphicControl *control)
{
    if (positionIn(d->FGraphics, d->FGraphicIndex, d->FGraphicIndexValid, control) < 0)
        return;
    GraphicControlRemoved(control);
    removeFrom(d->FGraphics, d->FGraphicIndex, d->FGraphicIndexValid, control);
    ++d->FListVersion;
    ++d->FListShapeVersion;
    if (d->FCaptured == control)
        d->FCaptured = nullptr;
    for (const QRect &r : std::as_const(shownRectsOf(control)))
        viewport()->update(r);
    shownRectsOf(control).clear();
    d->scheduleRangeUpdate();
}

void TScrollBox::GraphicControlInserted(TGraphicControl *) { }

void TScrollBox::GraphicControlRemoved(TGraphicControl *) { }

void TScrollBox::GraphicControlsReordered() { }

void TScrollBox::GraphicControlChanged(TGraphicControl *control, bool always)
{
    const QVector<QRect> rects = control->Visible() ? control->PaintRects() : QVector<QRect>();
    const QPoint origin = control->BoundsRect().topLeft();
    const QVector<QRect> &old = shownRectsOf(control);
    if (!always && old.size() == rects.size()
        && std::equal(old.begin(), old.end(), rects.begin(),
            [&](const QRect &o, const QRect &r) { return o == r.translated(origin); }))
        return;
    QVector<QRect> shown = rects;
    for (QRect &r : shown)
        r.translate(origin);
    QWidget *canvas = viewport();
    if (!canvas->updatesEnabled()) {
        // Drawing is suspended: nothing would be repainted, and resuming repaints it all.
        shownRectsOf(control) = std::move(shown);
        d->scheduleRangeUpdate();
        return;
    }
    QVector<QRect> dirty = old;
    dirty += shown;
    QRegion region = UniteRects(dirty) & canvas->rect();
    // What opaque children cover is not seen and need not be painted.
    if (!region.isEmpty()) {
        for (const QWidget *w : OpaqueChildrenIn(region.boundingRect()))
            region -= w->geometry();
    }
    canvas->update(region);
    shownRectsOf(control) = std::move(shown);
    d->scheduleRangeUpdate();
}

TGraphicControl *TScrollBox::GraphicControlAt(const QPoint &p) const
{
    for (int i = int(d->FGraphics.size()) - 1; i >= 0; --i) {
        TGraphicControl *g = d->FGraphics[i];
        if (g->Visible() && g->HitTest(p - g->BoundsRect().topLeft()))
            return g;
    }
    return nullptr;
}

namespace {
constexpr int GridCell = 256;
constexpr int MaxGridCells = 64;

quint64 cellKey(int x, int y)
{
    return (quint64(quint32(x)) << 32) | quint32(y);
}

int cellOf(int coordinate)
{
    return coordinate >= 0 ? coordinate / GridCell : -((-coordinate - 1) / GridCell) - 1;
}
} // namespace

template <typename F> void TScrollBoxPrivate::forCells(const QRect &content, F &&f) const
{
    for (int cx = cellOf(content.left()); cx <= cellOf(content.right()); ++cx) {
        for (int cy = cellOf(content.top()); cy <= cellOf(content.bottom()); ++cy)
            f(cellKey(cx, cy));
    }
}

void TScrollBoxPrivate::dropFromGrid(const QObject *child)
{
    const auto found = FGridRects.constFind(child);
    if (found == FGridRects.constEnd())
        return;
    const QRect old = found.value();
    FGridRects.erase(found);
    if (old.isNull()) {
        FGridHuge.removeOne(child);
        return;
    }
    forCells(old, [&](quint64 key) {
        auto cell = FGrid.find(key);
        if (cell == FGrid.end())
            return;
        cell.value().removeOne(child);
        if (cell.value().isEmpty())
            FGrid.erase(cell);
    });
}

void TScrollBoxPrivate::placeInGrid(QWidget *child)
{
    QRect content;
    const bool shown = !child->isHidden() && !child->isWindow() && !child->geometry().isEmpty();
    if (shown)
        content = child->geometry().translated(q->ScrollPosition());
    const auto found = FGridRects.constFind(child);
    if (found != FGridRects.constEnd()) {
        // Scrolling moves every child without changing where it stands in the content.
        if (shown && found.value() == content)
            return;
        dropFromGrid(child);
    }
    if (!shown)
        return;
    const qint64 cells = qint64(cellOf(content.right()) - cellOf(content.left()) + 1)
        * (cellOf(content.bottom()) - cellOf(content.top()) + 1);
    if (cells > MaxGridCells) {
        FGridRects.insert(child, QRect());
        FGridHuge.append(child);
        return;
    }
    FGridRects.insert(child, content);
    forCells(content, [&](quint64 key) { FGrid[key].append(child); });
}

QVector<QWidget *> TScrollBox::OpaqueChildrenIn(const QRect &rect) const
{
    QVector<QWidget *> found;
    if (rect.isEmpty())
        return found;
    // Only live widgets are in the grid: a child leaves it as soon as it leaves the viewport.
    auto consider = [&](const QObject *child) {
        QWidget *w = static_cast<QWidget *>(const_cast<QObject *>(child));
        if (found.contains(w) || !w->isVisible() || !w->testAttribute(Qt::WA_OpaquePaintEvent)
            || w->testAttribute(Qt::WA_TranslucentBackground) || !w->geometry().intersects(rect)
            || !w->mask().isEmpty())
            return;
        found.append(w);
    };
    for (const QObject *w : d->FGridHuge)
        consider(w);
    d->forCells(rect.translated(ScrollPosition()), [&](quint64 key) {
        const auto cell = d->FGrid.constFind(key);
        if (cell != d->FGrid.constEnd()) {
            for (const QObject *w : cell.value())
                consider(w);
        }
    });
    return found;
}

void TScrollBoxPrivate::windowedChildAdded(QWidget *child)
{
    if (positionIn(FWindowed, FWindowedIndex, FWindowedIndexValid, child) >= 0)
        return;
    FWindowed.append(child);
    if (FWindowedIndexValid)
        FWindowedIndex.insert(child, int(FWindowed.size()) - 1);
    ++FListVersion;
    if (!dynamic_cast<TSelfReportingChild *>(child))
        child->installEventFilter(q);
    placeInGrid(child);
    scheduleRangeUpdate();
}

void TScrollBoxPrivate::windowedChildRemoved(QObject *child)
{
    if (!removeFrom(FWindowed, FWindowedIndex, FWindowedIndexValid, child))
        return;
    // A child that moves on to another parent is none of q box's business any more.
    child->removeEventFilter(q);
    dropFromGrid(child);
    ++FListVersion;
    ++FListShapeVersion;
    scheduleRangeUpdate();
}

bool TScrollBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == viewport()) {
        if (event->type() == QEvent::ChildAdded) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType())
                d->windowedChildAdded(static_cast<QWidget *>(child));
        } else if (event->type() == QEvent::ChildRemoved) {
            d->windowedChildRemoved(static_cast<QChildEvent *>(event)->child());
        }
    } else if (watched->isWidgetType() && watched->parent() == viewport()) {
        d->windowedChildEvent(static_cast<QWidget *>(watched), event->type());
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

namespace {
// The events that change where a windowed child stands or whether it is shown.
bool placesChild(QEvent::Type type)
{
    return type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show
        || type == QEvent::Hide;
}
} // namespace

void TScrollBoxPrivate::windowedChildEvent(QWidget *child, QEvent::Type type)
{
    // Scrolling moves every child and changes neither the grid nor the range.
    if (!placesChild(type) || (type == QEvent::Move && FScrolling))
        return;
    placeInGrid(child);
    scheduleRangeUpdate();
}

void TScrollBox::WindowedChildChanged(QWidget *child, const QEvent *event)
{
    const QEvent::Type type = event->type();
    if (!placesChild(type)) // most events: no lookup of the box
        return;
    QWidget *canvas = child->parentWidget();
    auto *box = qobject_cast<TScrollBox *>(canvas ? canvas->parentWidget() : nullptr);
    // Every widget on the viewport is in the control list: it joins when it arrives there.
    if (!box || box->viewport() != canvas)
        return;
    box->d->windowedChildEvent(child, type);
}

TSelfReportingChild::~TSelfReportingChild() = default;

void TScrollBoxPrivate::scheduleRangeUpdate()
{
    if (FRangePending)
        return;
    FRangePending = true;
    QMetaObject::invokeMethod(
        q, [box = q] { box->UpdateScrollRange(); }, Qt::QueuedConnection);
}

void TScrollBox::UpdateScrollRange()
{
    d->FRangePending = false;
    if (d->FUpdatingRange)
        return;
    d->FUpdatingRange = true;
    const QPoint pos = ScrollPosition();
    int right = 0;
    int bottom = 0;
    auto extend = [&](const QRect &r) {
        right = std::max(right, r.x() + r.width() + pos.x());
        bottom = std::max(bottom, r.y() + r.height() + pos.y());
    };
    for (const TGraphicControl *g : std::as_const(d->FGraphics)) {
        if (g->Visible())
            extend(g->BoundsRect());
    }
    for (const QWidget *w : std::as_const(d->FWindowed)) {
        if (!w->isHidden())
            extend(w->geometry());
    }
    const QSize page = viewport()->size();
    // A scroll bar repaints whenever its steps are set, changed or not.
    if (horizontalScrollBar()->pageStep() != std::max(1, page.width()))
        horizontalScrollBar()->setPageStep(std::max(1, page.width()));
    if (verticalScrollBar()->pageStep() != std::max(1, page.height()))
        verticalScrollBar()->setPageStep(std::max(1, page.height()));
    horizontalScrollBar()->setRange(0, std::max(0, right - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, bottom - page.height()));
    d->FUpdatingRange = false;
}

void TScrollBox::scrollContentsBy(int dx, int dy)
{
    for (TGraphicControl *g : std::as_const(d->FGraphics))
        g->MoveBy(dx, dy);
    QWidget *canvas = viewport();
    const bool onlyChildren = std::none_of(
        d->FWindowed.begin(), d->FWindowed.end(), [](const QWidget *w) { return w->isWindow(); });
    const bool wasScrolling = d->FScrolling;
    d->FScrolling = true;
    const auto done = qScopeGuard([&] { d->FScrolling = wasScrolling; });
    if (canvas->isVisible() && canvas->updatesEnabled() && onlyChildren) {
        // Qt moves the children and keeps what stays in view: only the strip that scrolls in
        // is painted.
        canvas->scroll(dx, dy);
        return;
    }
    // Copied: a move handler may add or remove children.
    const QVector<QWidget *> windowed = d->FWindowed;
    for (QWidget *w : windowed)
        w->move(w->pos() + QPoint(dx, dy));
    canvas->update();
}

void TScrollBox::PaintBackground(QPainter &painter, const QRect &rect)
{
    painter.fillRect(rect, ColorToQColor(d->FColor, palette()));
}

void TScrollBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    const QRegion dirtyRegion = event->region();
    PaintBackground(painter, dirty);
    for (TGraphicControl *g : std::as_const(d->FGraphics)) {
        const QRect bounds = g->BoundsRect();
        if (!g->Visible() || !dirtyRegion.intersects(bounds.adjusted(-1, -1, 1, 1)))
            continue;
        // Only where the control draws now, which a long line's box mostly is not.
        const QVector<QRect> rects = g->PaintRects();
        if (std::none_of(rects.begin(), rects.end(), [&](const QRect &r) {
                return dirtyRegion.intersects(r.translated(bounds.topLeft()));
            }))
            continue;
        painter.save();
        painter.translate(bounds.topLeft());
        painter.setClipRect(QRect(QPoint(0, 0), bounds.size()));
        Guarded([&] { g->Paint(painter); });
        painter.restore();
    }
}

void TScrollBox::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (TGraphicControl *g = GraphicControlAt(p)) {
        d->FCaptured = g;
        QPointer<TGraphicControl> guard(g);
        Guarded([&] { g->MousePress(event, p - g->BoundsRect().topLeft()); });
        event->accept();
        return;
    }
    Guarded([&] { ViewportMousePress(event); });
}

void TScrollBox::ViewportMousePress(QMouseEvent *event)
{
    QAbstractScrollArea::mousePressEvent(event);
}

void TScrollBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (TGraphicControl *g = d->FCaptured) {
        d->FCaptured = nullptr;
        const QPoint p = event->position().toPoint();
        Guarded([&] { g->MouseRelease(event, p - g->BoundsRect().topLeft()); });
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TScrollBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (TGraphicControl *g = GraphicControlAt(p)) {
        d->FCaptured = g;
        Guarded([&] { g->MouseDoubleClick(event, p - g->BoundsRect().topLeft()); });
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void TScrollBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

bool TScrollBox::event(QEvent *event)
{
    return QAbstractScrollArea::event(event);
}

bool TScrollBox::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (TGraphicControl *g = GraphicControlAt(help->pos())) {
            QString text;
            Guarded([&] { text = g->ToolTipAt(help->pos() - g->BoundsRect().topLeft()); });
            if (!text.isEmpty()) {
                // It goes once the pointer leaves the spot; resting on the line again shows it
                // again.
                QToolTip::showText(help->globalPos(), text, viewport(),
                    QRect(help->pos(), QSize()).adjusted(-4, -4, 4, 4));
                return true;
            }
        }
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TScrollBox::DestroyChildren()
{
    while (ControlCount() > 0) {
        QObject *last = Controls(ControlCount() - 1);
        const int before = ControlCount();
        delete last;
        // A control that did not leave the list by itself is taken off here.
        if (ControlCount() == before && Controls(ControlCount() - 1) == last) {
            if (!d->FWindowed.isEmpty())
                removeFrom(d->FWindowed, d->FWindowedIndex, d->FWindowedIndexValid, last);
            else
                removeFrom(d->FGraphics, d->FGraphicIndex, d->FGraphicIndexValid, last);
            ++d->FListVersion;
            ++d->FListShapeVersion;
        }
    }
}

} // namespace Diduza
