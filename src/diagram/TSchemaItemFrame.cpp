#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/items/RowKeys_p.h"
#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaText.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/DrawingSuspension.h"
#include "platform/TImageList.h"
#include "platform/VisibleText.h"
#include "relations/TSchemaRelation.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>

namespace Diduza {

namespace {
QFont boldFont(QFont font)
{
    font.setBold(true);
    return font;
}

// Decoration metrics: the resizing frame, the thin frame, and the two title-bar heights.
constexpr int ThickFrame = 4;
constexpr int ThinFrame = 1;
constexpr int CaptionHeight = 20;
constexpr int ToolCaptionHeight = 16;
} // namespace

// ---------------------------------------------------------------------------------------------
// Geometry

int TSchemaItemPrivate::frameWidth() const
{
    int frame = FBorder ? ThickFrame : (!FSizeable ? ThinFrame : 0);
    if (FShowCaption && frame == 0)
        frame = ThinFrame; // a title bar always comes with a frame
    return frame;
}

int TSchemaItemPrivate::captionHeight() const
{
    return FShowCaption ? (FToolWin ? ToolCaptionHeight : CaptionHeight) : 0;
}

QRect TSchemaItem::ClientRect() const
{
    const int frame = d->frameWidth();
    const int caption = d->captionHeight();
    return QRect(frame, frame + caption, qMax(0, width() - 2 * frame),
        qMax(0, height() - 2 * frame - caption));
}

int TSchemaItem::ClientHeight() const
{
    return ClientRect().height();
}

int TSchemaItem::ClientWidth() const
{
    return ClientRect().width();
}

void TSchemaItem::SetClientHeight(int h)
{
    SetHeight(qMax(0, h) + 2 * d->frameWidth() + d->captionHeight());
}

void TSchemaItemPrivate::layoutInnerControl()
{
    if (FItemControl)
        FItemControl->setGeometry(q->ClientRect());
}

int TSchemaItem::GetRowY(int FldN) const
{
    const QRect client = ClientRect();
    // The inner control in the item's client coordinates. It fills the client area; that is
    // read from the item's own geometry, which is current even while Qt holds back the resize
    // event (and so the inner control's layout) of an item that is not shown yet.
    const QRect c(0, 0, client.width(), client.height());
    int y = c.top() + 9;
    if (auto *tree = TreeView()) {
        if (tree->topLevelItemCount() > 0) {
            QTreeWidgetItem *node = tree->itemAt(0, 0);
            if (!node)
                node = tree->topLevelItem(0);
            QHash<const QTreeWidgetItem *, int> absolute;
            const QList<QTreeWidgetItem *> all = tree->AllNodes();
            absolute.reserve(all.size());
            for (int i = 0; i < all.size(); ++i)
                absolute.insert(all[i], i);
            int count = 0;
            for (; node; node = tree->itemBelow(node)) {
                if (absolute.value(node, -1) > FldN)
                    break;
                ++count;
            }
            const int k = qMax(count - 1, 0);
            y = c.top() + SchemaTreeRowHeight * k + 9;
        }
    } else if (auto *list = ListBox()) {
        const int first = list->TopIndex();
        y = c.top() + 1 + ((2 * (FldN - first) + 1) * SchemaListRowHeight) / 2;
    }
    if (y > c.top() + c.height())
        y = c.top() + c.height();
    // From the item's client coordinates to its parent's.
    return y + client.top() + this->y();
}

void TSchemaItem::RecalculateHeight()
{
    int h = 0;
    if (auto *tree = TreeView()) {
        tree->expandAll();
        h = tree->NodeCount() * SchemaTreeRowHeight;
    } else if (auto *text = TextControl()) {
        h = text->height();
    } else if (auto *icon = IconControl()) {
        h = icon->Picture().height();
    } else if (auto *list = ListBox()) {
        h = list->count() * SchemaListRowHeight;
    }
    if (d->FBorder)
        h += 5;
    h += 4;
    SetClientHeight(h);
}

void TSchemaItem::RecalculateWidth()
{
    int w = 0;
    // Rows are measured bold, so that each fits once it is linked.
    if (auto *tree = TreeView()) {
        w = 110;
        const QFontMetrics fm(boldFont(tree->font()));
        for (QTreeWidgetItem *node : tree->AllNodes())
            w = qMax(w, fm.horizontalAdvance(VisibleText(node->text(0))));
    } else if (auto *text = TextControl()) {
        if (text->Caption().contains(QLatin1Char('\r')))
            w = ClientWidth(); // the label's width: it fills the client area
        else
            w = text->MeasureText(-1).width();
    } else if (auto *icon = IconControl()) {
        w = icon->Picture().width();
    } else if (auto *list = ListBox()) {
        w = 110;
        const QFontMetrics fm(boldFont(list->font()));
        for (int i = 0; i < list->count(); ++i)
            w = qMax(w, fm.horizontalAdvance(VisibleText(list->item(i)->text())));
        w += KeyColumnWidth(this); // 0 unless the area shows keys
    }
    if (d->FBorder)
        w += 5;
    if (d->FSchemaControlType == scText || d->FSchemaControlType == scIcon)
        SetWidth(w);
    else
        SetWidth(w + 20 + CheckWidth());
    d->fitTitle();
}

void TSchemaItemPrivate::fitTitle()
{
    if (!FShowCaption)
        return;
    const int captionWidth
        = QFontMetrics(FCaptionFont).horizontalAdvance(VisibleText(q->TitleText()));
    if (captionWidth > q->width() - 34)
        q->SetWidth(captionWidth + 34);
}

bool TSchemaItem::event(QEvent *event)
{
    // The design area learns first where the item now stands, as from an event filter.
    TScrollBox::WindowedChildChanged(this, event);
    if (event->type() == QEvent::PaletteChange)
        d->applyInnerPalette();
    return QWidget::event(event);
}

namespace {
// Whether the area draws the frame of the focus round item.
bool focusFramed(const TSchemaItem *item)
{
    const auto *area = qobject_cast<const TSchemaDesignArea *>(item->Parent());
    return area && TSchemaDesignAreaPrivate::get(area)->HasFocusRing(item);
}
} // namespace

void TSchemaItem::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if ((d->FHighlighted || focusFramed(this)) && parentWidget()) { // its ring moves along
        parentWidget()->update(QRect(event->oldPos(), size()).adjusted(-5, -5, 5, 5));
        parentWidget()->update(geometry().adjusted(-5, -5, 5, 5));
    }
    Guarded([this] { d->relationsChanged(true); });
}

void TSchemaItem::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if ((d->FHighlighted || focusFramed(this)) && parentWidget()) {
        parentWidget()->update(QRect(pos(), event->oldSize()).adjusted(-5, -5, 5, 5));
        parentWidget()->update(geometry().adjusted(-5, -5, 5, 5));
    }
    d->layoutInnerControl();
    Guarded([this] { d->relationsChanged(true); });
}

// ---------------------------------------------------------------------------------------------
// Painting

QRect TSchemaItem::CaptionRect() const
{
    if (!d->FShowCaption)
        return QRect();
    const int frame = d->frameWidth();
    return QRect(frame, frame, qMax(0, width() - 2 * frame), d->captionHeight());
}

namespace {
QStyleOptionTitleBar titleBarOption(const QWidget *w, const QRect &rect, bool toolWin)
{
    QStyleOptionTitleBar bar;
    bar.initFrom(w);
    bar.rect = rect;
    bar.titleBarState = Qt::WindowActive;
    bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (toolWin)
        bar.titleBarFlags |= Qt::Tool;
    bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton
        | (toolWin ? QStyle::SC_None : QStyle::SC_TitleBarSysMenu);
    bar.state |= QStyle::State_Active;
    return bar;
}
} // namespace

QRect TSchemaItem::CloseButtonRect() const
{
    const QRect caption = CaptionRect();
    if (caption.isEmpty())
        return QRect();
    const QStyleOptionTitleBar bar = titleBarOption(this, caption, d->FToolWin);
    return style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, this);
}

int TSchemaItemPrivate::hitEdges(const QPoint &p) const
{
    if (!FBorder)
        return 0;
    const int grip = qMax(frameWidth(), ThickFrame);
    int edges = 0;
    if (p.x() < grip)
        edges |= EdgeLeft;
    else if (p.x() >= q->width() - grip)
        edges |= EdgeRight;
    if (p.y() < grip)
        edges |= EdgeTop;
    else if (p.y() >= q->height() - grip)
        edges |= EdgeBottom;
    return edges;
}

void TSchemaItemPrivate::updateCursor(const QPoint &p)
{
    const int edges = hitEdges(p);
    if ((edges & (EdgeLeft | EdgeTop)) == (EdgeLeft | EdgeTop)
        || (edges & (EdgeRight | EdgeBottom)) == (EdgeRight | EdgeBottom))
        q->setCursor(Qt::SizeFDiagCursor);
    else if ((edges & (EdgeRight | EdgeTop)) == (EdgeRight | EdgeTop)
        || (edges & (EdgeLeft | EdgeBottom)) == (EdgeLeft | EdgeBottom))
        q->setCursor(Qt::SizeBDiagCursor);
    else if (edges & (EdgeLeft | EdgeRight))
        q->setCursor(Qt::SizeHorCursor);
    else if (edges & (EdgeTop | EdgeBottom))
        q->setCursor(Qt::SizeVerCursor);
    else
        q->unsetCursor();
}

void TSchemaItem::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    d->FDragMode = TSchemaItemPrivate::DragNone;
    if (event->button() == Qt::RightButton && CaptionRect().contains(p)) {
        // The title bar opens the item's menu, as its rows do.
        const QPoint global = event->globalPosition().toPoint();
        Guarded([&] { ShowPopupMenu(global); });
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    raise();
    d->FPressGlobal = event->globalPosition().toPoint();
    d->FStartGeometry = geometry();
    if (CloseButtonRect().contains(p)) {
        d->FDragMode = TSchemaItemPrivate::DragClose;
        d->FClosePressed = true;
        update(CaptionRect());
    } else if (const int edges = d->hitEdges(p)) {
        d->FDragMode = TSchemaItemPrivate::DragResize;
        d->FDragEdges = edges;
    } else if (CaptionRect().contains(p)
        || ((d->FSchemaControlType == scText || d->FSchemaControlType == scIcon)
            && ClientRect().contains(p))) {
        // List kinds move by their title bar, text and icon items by their whole body.
        d->FDragMode = TSchemaItemPrivate::DragMove;
    }
    event->accept();
}

void TSchemaItem::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const QPoint delta = event->globalPosition().toPoint() - d->FPressGlobal;
    switch (d->FDragMode) {
    case TSchemaItemPrivate::DragMove:
        move(d->FStartGeometry.topLeft() + delta);
        break;
    case TSchemaItemPrivate::DragResize: {
        const int minWidth = 2 * d->frameWidth() + 24;
        const int minHeight = 2 * d->frameWidth() + d->captionHeight() + 4;
        QRect g = d->FStartGeometry;
        if (d->FDragEdges & TSchemaItemPrivate::EdgeLeft)
            g.setLeft(qMin(g.left() + delta.x(), g.right() + 1 - minWidth));
        if (d->FDragEdges & TSchemaItemPrivate::EdgeRight)
            g.setRight(qMax(g.right() + delta.x(), g.left() + minWidth - 1));
        if (d->FDragEdges & TSchemaItemPrivate::EdgeTop)
            g.setTop(qMin(g.top() + delta.y(), g.bottom() + 1 - minHeight));
        if (d->FDragEdges & TSchemaItemPrivate::EdgeBottom)
            g.setBottom(qMax(g.bottom() + delta.y(), g.top() + minHeight - 1));
        setGeometry(g);
        break;
    }
    case TSchemaItemPrivate::DragClose: {
        const bool inside = CloseButtonRect().contains(p);
        if (inside != d->FClosePressed) {
            d->FClosePressed = inside;
            update(CaptionRect());
        }
        break;
    }
    case TSchemaItemPrivate::DragNone:
        d->updateCursor(p);
        break;
    }
    event->accept();
}

void TSchemaItem::mouseReleaseEvent(QMouseEvent *event)
{
    const TSchemaItemPrivate::DragMode mode = d->FDragMode;
    d->FDragMode = TSchemaItemPrivate::DragNone;
    if ((mode == TSchemaItemPrivate::DragMove || mode == TSchemaItemPrivate::DragResize)
        && geometry() != d->FStartGeometry) {
        // A whole drag is one step.
        auto *area = qobject_cast<TSchemaDesignArea *>(Parent());
        TSchemaUndoGroup step(area,
            mode == TSchemaItemPrivate::DragMove
                ? QCoreApplication::translate("Diduza::TSchemaItem", "Move %1")
                      .arg(TSchemaUndoGroup::StepName(GetCaption()))
                : QCoreApplication::translate("Diduza::TSchemaItem", "Resize %1")
                      .arg(TSchemaUndoGroup::StepName(GetCaption())));
        if (area)
            TSchemaDesignAreaPrivate::get(area)->undo.itemMoved(
                this, d->FStartGeometry, geometry());
    }
    if (mode == TSchemaItemPrivate::DragClose) {
        const bool close
            = d->FClosePressed && CloseButtonRect().contains(event->position().toPoint());
        d->FClosePressed = false;
        update(CaptionRect());
        if (close) {
            // The close request removes the item, without asking anyone.
            Guarded([this] { RemoveItem(this); });
            return;
        }
    }
    event->accept();
}

void TSchemaItem::leaveEvent(QEvent *event)
{
    if (d->FDragMode == TSchemaItemPrivate::DragNone)
        unsetCursor();
    QWidget::leaveEvent(event);
}

void TSchemaItem::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ColorToQColor(d->FColor, palette()));
    const QRect client = ClientRect();
    const int frame = client.left();
    if (frame > 0) {
        QStyleOptionFrame option;
        option.initFrom(this);
        option.rect = rect();
        option.lineWidth = frame;
        option.midLineWidth = 0;
        option.state |= QStyle::State_Raised;
        if (frame >= ThickFrame) {
            style()->drawPrimitive(QStyle::PE_FrameWindow, &option, &painter, this);
        } else {
            painter.setPen(palette().color(QPalette::Shadow));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }
    if (d->FShowCaption) {
        // The style draws the bar and its caption; the close button is drawn here in the
        // palette's colours with plain pens: a style may draw its glyph in a fixed colour
        // (black on a dark palette) or with gradient pens (black bars in SVG exports).
        QStyleOptionTitleBar bar = titleBarOption(
            this, QRect(frame, frame, width() - 2 * frame, client.top() - frame), d->FToolWin);
        bar.text = VisibleText(TitleText());
        bar.icon = d->FIcon;
        bar.subControls &= ~QStyle::SC_TitleBarCloseButton;
        painter.save();
        painter.setFont(d->FCaptionFont);
        style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, this);
        painter.restore();
        d->paintCloseButton(painter);
    }
}

void TSchemaItemPrivate::paintCloseButton(QPainter &painter) const
{
    const QRect button = q->CloseButtonRect();
    if (button.width() < 4 || button.height() < 4)
        return;
    const QPalette &pal = q->palette();
    const QColor ink = pal.color(QPalette::WindowText);
    const TSchemaDesignArea *area = q->Designer();
    const bool pressed = FClosePressed && !(area && area->IsDrawingCanvas());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(button).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor edge = ink;
    edge.setAlphaF(0.45);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(pressed ? QBrush(pal.color(QPalette::Highlight)) : QBrush(Qt::NoBrush));
    painter.drawRoundedRect(box, 2, 2);
    // A cross through pixel centres, so that it looks the same drawn on pixels and in SVG.
    const int inset = qMax(2, button.width() / 4);
    const QRectF cross
        = QRectF(button.adjusted(inset, inset, -inset - 1, -inset - 1)).translated(0.5, 0.5);
    painter.setPen(QPen(pressed ? pal.color(QPalette::HighlightedText) : ink, 1.2));
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.bottomLeft(), cross.topRight());
    painter.restore();
}

void TSchemaItem::SetHighlighted(bool Value)
{
    if (d->FHighlighted == Value)
        return;
    d->FHighlighted = Value;
    if (TSchemaDesignArea *area = Designer())
        TSchemaDesignAreaPrivate::get(area)->ItemHighlightChanged(this);
}

void TSchemaItem::CustomListDrawItem(
    QWidget *Control, int Index, const QRect &Rect, bool Selected, QPainter &painter)
{
    auto *list = qobject_cast<TSchemaListBox *>(Control);
    if (!list || Index < 0 || Index >= list->count())
        return;
    const QPalette pal = list->palette();
    painter.fillRect(Rect, Selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
    // Rows show whether they are linked by their weight alone: bold or normal, whatever the
    // weight of the list's font.
    QFont font = list->font();
    font.setBold(false);
    painter.setPen(Selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
    QListWidgetItem *entry = list->item(Index);
    TSchemaSubItem *row = TSchemaListBox::RowOf(entry);
    const int textFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    if (!row) {
        painter.setFont(font);
        painter.drawText(QRect(Rect.left(), Rect.top(), 10000, Rect.height()), textFlags,
            VisibleText(entry->text()));
        return;
    }
    if (row->Linked()) {
        font.setBold(true);
        font.setItalic(false);
        font.setUnderline(false);
        font.setStrikeOut(false);
    }
    painter.setFont(font);
    TImageList *images = nullptr;
    if (TSchemaDesignArea *area = qobject_cast<TSchemaDesignArea *>(Parent()))
        images = area->Images();
    else if (d->FDesigner)
        images = d->FDesigner->Images();
    int glyph = row->ImageIndex();
    if (Selected) {
        glyph = row->SelectedIndex();
        if (images && (glyph < 0 || glyph >= images->Count()))
            glyph = row->ImageIndex();
    }
    // The key glyphs, where the area shows keys, before everything else of the row.
    int textOffset = KeyColumnWidth(this);
    if (textOffset > 0)
        PaintRowKeys(painter, this, row, Rect,
            Selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
    if (images && glyph >= 0 && glyph < images->Count()) {
        images->Draw(painter, Rect.left() + textOffset,
            Rect.top() + (Rect.height() - images->Height()) / 2, glyph, true);
        textOffset += images->Width() + 2;
    }
    painter.drawText(QRect(Rect.left() + textOffset + 2, Rect.top(), 10000, Rect.height()),
        textFlags, VisibleText(row->Caption()));
}

} // namespace Diduza
