#include "diagram/items/TSchemaListBox.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/RowDrag_p.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/VisibleText.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

namespace Diduza {

namespace {
// Paints the rows of list and check-list items through their item, at a fixed row height.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), SchemaListRowHeight);
    }

    // An entry is measured and painted by its visible part only.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = VisibleText(option->text);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        auto *list = qobject_cast<TSchemaListBox *>(const_cast<QWidget *>(option.widget));
        TSchemaItem *item = list ? list->Item() : nullptr;
        if (!item) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QRect rect = option.rect;
        // A picture of the diagram shows the rows without the user's selection.
        const TSchemaDesignArea *area = item->Designer();
        const bool selected
            = (option.state & QStyle::State_Selected) && !(area && area->IsDrawingCanvas());
        if (qobject_cast<TSchemaCheckListBox *>(list)) {
            // The check box is drawn here; the item paints the part to its right.
            const int w = CheckWidth();
            const QRect box(rect.left(), rect.top(), w + 2, rect.height());
            painter->fillRect(box, list->palette().color(QPalette::Base));
            QStyleOptionViewItem check = option;
            check.rect = QRect(rect.left() + 1, rect.top() + (rect.height() - w) / 2, w, w);
            check.state &= ~QStyle::State_Selected;
            const auto state = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
            check.state |= state == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
            check.state |= QStyle::State_Enabled;
            list->style()->drawPrimitive(
                QStyle::PE_IndicatorItemViewItemCheck, &check, painter, list);
            // On a dark background a style draws the box in shades of it, and an unticked
            // box all but vanishes: a frame that stands out from the background marks it.
            const QColor base = list->palette().color(QPalette::Base);
            if (base.lightness() < 128) {
                painter->save();
                painter->setPen(ReadableOn(list->palette().color(QPalette::Mid), base));
                painter->setBrush(Qt::NoBrush);
                painter->drawRect(check.rect.adjusted(0, 0, -1, -1));
                painter->restore();
            }
            rect.setLeft(box.right() + 1);
        }
        painter->save();
        painter->setClipRect(rect);
        item->CustomListDrawItem(list, index.row(), rect, selected, *painter);
        painter->restore();
        if ((option.state & QStyle::State_HasFocus) && !(area && area->IsDrawingCanvas())) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.rect = option.rect;
            focus.backgroundColor
                = list->palette().color(selected ? QPalette::Highlight : QPalette::Base);
            list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, list);
        }
    }

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
        const QModelIndex &index) override
    {
        // A click on the check box toggles the entry.
        auto *list = qobject_cast<TSchemaCheckListBox *>(const_cast<QWidget *>(option.widget));
        if (list && (event->type() == QEvent::MouseButtonRelease)) {
            auto *me = static_cast<QMouseEvent *>(event);
            const QRect box(
                option.rect.left(), option.rect.top(), CheckWidth() + 2, option.rect.height());
            if (me->button() == Qt::LeftButton && box.contains(me->position().toPoint())) {
                const auto state = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
                return model->setData(
                    index, state == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
            }
        }
        if (list && event->type() == QEvent::KeyPress) {
            auto *ke = static_cast<QKeyEvent *>(event);
            if (ke->key() == Qt::Key_Space) {
                const auto state = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
                return model->setData(
                    index, state == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
            }
        }
        return false;
    }
};
} // namespace

TSchemaListBox::TSchemaListBox(QWidget *parent)
    : QListWidget(parent)
{
    setObjectName(QStringLiteral("ItemControl"));
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setItemDelegate(new RowDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (TSchemaItem *item = Item())
            Guarded([item] { item->InnerListScrolled(); });
    });
}

TSchemaListBox::~TSchemaListBox() = default;

TSchemaItem *TSchemaListBox::Item() const
{
    return qobject_cast<TSchemaItem *>(parentWidget());
}

namespace {
class RowEntry : public QListWidgetItem {
public:
    static constexpr int EntryType = QListWidgetItem::UserType + 0x5d1;

    explicit RowEntry(const QString &text)
        : QListWidgetItem(text, nullptr, EntryType)
    {
    }

    QVariant data(int role) const override
    {
        if (role == SchemaRowRole)
            return row ? QVariant::fromValue(QPointer<QObject>(row.data())) : QVariant();
        if (role == Qt::ToolTipRole && row) {
            // A row of a table whose keys the area shows tells its field's type and keys.
            const TSchemaItem *item = row->ItemOwner();
            const auto *area = item ? qobject_cast<TSchemaDesignArea *>(item->Parent()) : nullptr;
            const QString tip = area ? area->RowToolTip(row) : QString();
            if (!tip.isEmpty())
                return tip;
        }
        return QListWidgetItem::data(role);
    }

    void setData(int role, const QVariant &value) override
    {
        if (role != SchemaRowRole) {
            QListWidgetItem::setData(role, value);
            return;
        }
        // Nothing is drawn from it: the view need not hear of it.
        row = qobject_cast<TSchemaSubItem *>(value.value<QPointer<QObject>>().data());
    }

    QListWidgetItem *clone() const override
    {
        auto *copy = new RowEntry(QString());
        *static_cast<QListWidgetItem *>(copy) = *this;
        copy->row = row;
        return copy;
    }

    QPointer<TSchemaSubItem> row;
};
} // namespace

QListWidgetItem *TSchemaListBox::NewEntry(const QString &text, TSchemaSubItem *row)
{
    auto *entry = new RowEntry(text);
    entry->row = row;
    return entry;
}

TSchemaSubItem *TSchemaListBox::RowOf(const QListWidgetItem *entry)
{
    if (!entry)
        return nullptr;
    if (entry->type() == RowEntry::EntryType) {
        if (const auto *own = dynamic_cast<const RowEntry *>(entry))
            return own->row.data();
    }
    return qobject_cast<TSchemaSubItem *>(
        entry->data(SchemaRowRole).value<QPointer<QObject>>().data());
}

void TSchemaListBox::SetRow(QListWidgetItem *entry, TSchemaSubItem *row)
{
    if (entry)
        entry->setData(SchemaRowRole, QVariant::fromValue(QPointer<QObject>(row)));
}

int TSchemaListBox::TopIndex() const
{
    if (count() == 0)
        return 0;
    return verticalScrollBar()->value();
}

void TSchemaListBox::mousePressEvent(QMouseEvent *event)
{
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::RightButton) {
        const QPoint global = event->globalPosition().toPoint();
        QPointer<TSchemaItem> item = Item();
        if (item)
            Guarded([&] { item->ShowPopupMenu(global); });
    }
}

void TSchemaListBox::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason
        && reason != Qt::PopupFocusReason && selectedItems().isEmpty()) {
        if (QListWidgetItem *entry = currentItem())
            entry->setSelected(true);
        else if (count() > 0)
            setCurrentRow(0);
    }
}

void TSchemaListBox::startDrag(Qt::DropActions)
{
    StartRowDrag(this);
}

void TSchemaListBox::dragEnterEvent(QDragEnterEvent *event)
{
    RowDragMove(this, event);
}

void TSchemaListBox::dragMoveEvent(QDragMoveEvent *event)
{
    RowDragMove(this, event);
}

void TSchemaListBox::dropEvent(QDropEvent *event)
{
    RowDrop(this, event);
}

TSchemaCheckListBox::TSchemaCheckListBox(QWidget *parent)
    : TSchemaListBox(parent)
{
    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem *entry) {
        TSchemaSubItem *row = RowOf(entry);
        if (!row)
            return;
        if ((entry->checkState() == Qt::Checked) == row->Checked())
            return; // the entry shows the row's state already (set by code)
        Guarded([&] { ClickCheck(entry); });
    });
}

TSchemaCheckListBox::~TSchemaCheckListBox() = default;

bool TSchemaCheckListBox::Checked(int index) const
{
    QListWidgetItem *entry = item(index);
    return entry && entry->checkState() == Qt::Checked;
}

void TSchemaCheckListBox::SetChecked(int index, bool checked)
{
    if (QListWidgetItem *entry = item(index)) {
        const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
        if (entry->checkState() != state) {
            QSignalBlocker block(this);
            entry->setCheckState(state);
        }
        viewport()->update();
    }
}

void TSchemaCheckListBox::ClickCheck(QListWidgetItem *entry)
{
    if (TSchemaItem *owner = Item())
        owner->EntryCheckToggled(entry);
}

} // namespace Diduza
