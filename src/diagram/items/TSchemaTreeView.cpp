#include "diagram/items/TSchemaTreeView.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/RowDrag_p.h"
#include "platform/Application.h"
#include "platform/TImageList.h"
#include "platform/VisibleText.h"

#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeWidgetItemIterator>

namespace Diduza {

// A tree view's own state: the image lists its nodes take their glyphs from.
class TSchemaTreeViewPrivate {
public:
    QPointer<TImageList> FImages;
    QPointer<TImageList> FStateImages;
};

namespace {
class TreeRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), SchemaTreeRowHeight);
    }

    // A picture of the diagram shows the nodes without the user's selection and focus.
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        auto *tree = qobject_cast<const TSchemaTreeView *>(option.widget);
        const TSchemaItem *item = tree ? tree->Item() : nullptr;
        const TSchemaDesignArea *area = item ? item->Designer() : nullptr;
        if (!area || !area->IsDrawingCanvas()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem plain = option;
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
        QStyledItemDelegate::paint(painter, plain, index);
    }

protected:
    // A node is measured and painted by its visible part only.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = VisibleText(option->text);
    }
};
} // namespace

TSchemaTreeView::TSchemaTreeView(QWidget *parent)
    : QTreeWidget(parent)
    , d(std::make_unique<TSchemaTreeViewPrivate>())
{
    setObjectName(QStringLiteral("ItemControl"));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setItemDelegate(new TreeRowDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setIconSize(QSize(16, 16));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (TSchemaItem *item = Item())
            Guarded([item] { item->InnerListScrolled(); });
    });
}

TSchemaTreeView::~TSchemaTreeView() = default;

TSchemaItem *TSchemaTreeView::Item() const
{
    return qobject_cast<TSchemaItem *>(parentWidget());
}

TImageList *TSchemaTreeView::Images() const
{
    return d->FImages;
}

void TSchemaTreeView::SetImages(TImageList *Value)
{
    d->FImages = Value;
}

TImageList *TSchemaTreeView::StateImages() const
{
    return d->FStateImages;
}

void TSchemaTreeView::SetStateImages(TImageList *Value)
{
    d->FStateImages = Value;
}

TSchemaSubItem *TSchemaTreeView::RowOf(const QTreeWidgetItem *node)
{
    if (!node)
        return nullptr;
    return qobject_cast<TSchemaSubItem *>(
        node->data(0, SchemaRowRoleTree()).value<QPointer<QObject>>().data());
}

void TSchemaTreeView::SetRow(QTreeWidgetItem *node, TSchemaSubItem *row)
{
    if (node)
        node->setData(0, SchemaRowRoleTree(), QVariant::fromValue(QPointer<QObject>(row)));
}

QList<QTreeWidgetItem *> TSchemaTreeView::AllNodes() const
{
    QList<QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(const_cast<TSchemaTreeView *>(this)); *it; ++it)
        nodes.append(*it);
    return nodes;
}

int TSchemaTreeView::NodeCount() const
{
    int count = 0;
    for (QTreeWidgetItemIterator it(const_cast<TSchemaTreeView *>(this)); *it; ++it)
        ++count;
    return count;
}

QTreeWidgetItem *TSchemaTreeView::NodeAt(int absoluteIndex) const
{
    if (absoluteIndex < 0)
        return nullptr;
    int i = 0;
    for (QTreeWidgetItemIterator it(const_cast<TSchemaTreeView *>(this)); *it; ++it, ++i) {
        if (i == absoluteIndex)
            return *it;
    }
    return nullptr;
}

int TSchemaTreeView::AbsoluteIndexOf(const QTreeWidgetItem *node) const
{
    int i = 0;
    for (QTreeWidgetItemIterator it(const_cast<TSchemaTreeView *>(this)); *it; ++it, ++i) {
        if (*it == node)
            return i;
    }
    return -1;
}

void TSchemaTreeView::ApplyImageIndex(QTreeWidgetItem *node, int imageIndex)
{
    if (!node)
        return;
    if (d->FImages && imageIndex >= 0 && imageIndex < d->FImages->Count())
        node->setIcon(0, QIcon(d->FImages->Image(imageIndex)));
    else
        node->setIcon(0, QIcon());
}

void TSchemaTreeView::mousePressEvent(QMouseEvent *event)
{
    QTreeWidget::mousePressEvent(event);
    if (event->button() == Qt::RightButton) {
        const QPoint global = event->globalPosition().toPoint();
        QPointer<TSchemaItem> item = Item();
        if (item)
            Guarded([&] { item->ShowPopupMenu(global); });
    }
}

void TSchemaTreeView::startDrag(Qt::DropActions)
{
    StartRowDrag(this);
}

void TSchemaTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    RowDragMove(this, event);
}

void TSchemaTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    RowDragMove(this, event);
}

void TSchemaTreeView::dropEvent(QDropEvent *event)
{
    RowDrop(this, event);
}

} // namespace Diduza
