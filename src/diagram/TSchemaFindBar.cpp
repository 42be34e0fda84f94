#include "diagram/TSchemaFindBar.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/Application.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace Diduza {

TSchemaFindBar::TSchemaFindBar(TSchemaDesignArea *Area)
    : QWidget(Area)
    , FArea(Area)
{
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 3, 4, 3);
    layout->setSpacing(4);
    FEdit = new QLineEdit(this);
    FEdit->setObjectName(QStringLiteral("edFind"));
    FEdit->setPlaceholderText(tr("Find table or field"));
    FEdit->setClearButtonEnabled(true);
    FEdit->setMinimumWidth(160);
    FEdit->installEventFilter(this);
    FCount = new QLabel(this);
    FCount->setObjectName(QStringLiteral("lblFindCount"));
    FCount->setMinimumWidth(FCount->fontMetrics().horizontalAdvance(QStringLiteral("000 of 000")));
    auto *previous = new QToolButton(this);
    previous->setArrowType(Qt::UpArrow);
    previous->setAutoRaise(true);
    previous->setToolTip(tr("Previous match (Shift+Enter)"));
    auto *next = new QToolButton(this);
    next->setArrowType(Qt::DownArrow);
    next->setAutoRaise(true);
    next->setToolTip(tr("Next match (Enter)"));
    auto *close = new QToolButton(this);
    close->setText(QStringLiteral("\u00d7"));
    close->setAutoRaise(true);
    close->setToolTip(tr("Close (Escape)"));
    layout->addWidget(FEdit, 1);
    layout->addWidget(FCount);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(close);
    connect(FEdit, &QLineEdit::textEdited, this,
        [this](const QString &text) { Guarded([&] { Find(text); }); });
    connect(previous, &QToolButton::clicked, this, [this] { Guarded([&] { Previous(); }); });
    connect(next, &QToolButton::clicked, this, [this] { Guarded([&] { Next(); }); });
    connect(close, &QToolButton::clicked, this, [this] { Guarded([&] { Close(); }); });
    Area->installEventFilter(this); // follows the area's size
    hide();
}

void TSchemaFindBar::place()
{
    adjustSize();
    const QRect view = FArea->viewport()->geometry();
    move(view.right() - width() - 4, view.top() + 4);
    raise();
}

void TSchemaFindBar::Open()
{
    place();
    show();
    FEdit->setFocus(Qt::ShortcutFocusReason);
    FEdit->selectAll();
    if (!FEdit->text().isEmpty())
        Find(FEdit->text());
}

void TSchemaFindBar::Close()
{
    setRings(false);
    FMatches.clear();
    FCurrent = -1;
    hide();
    FArea->setFocus(Qt::OtherFocusReason);
}

void TSchemaFindBar::setRings(bool on)
{
    QVector<QPointer<TSchemaItem>> ringed;
    if (on) {
        for (const Match &m : std::as_const(FMatches)) {
            if (m.Item && (ringed.isEmpty() || ringed.last() != m.Item))
                ringed << m.Item;
        }
    }
    for (const QPointer<TSchemaItem> &item : std::as_const(FRinged)) {
        if (item && !ringed.contains(item))
            item->SetHighlighted(false);
    }
    for (const QPointer<TSchemaItem> &item : std::as_const(ringed))
        item->SetHighlighted(true);
    FRinged = ringed;
}

void TSchemaFindBar::Find(const QString &Text)
{
    FMatches.clear();
    FCurrent = -1;
    if (!Text.isEmpty()) {
        const int count = FArea->GetItemCount();
        for (int i = 0; i < count; ++i) {
            TSchemaItem *item = FArea->GetItem(i);
            if (item->GetCaption().contains(Text, Qt::CaseInsensitive))
                FMatches << Match { item, nullptr };
            const int rows = item->GetSubItemCount();
            for (int r = 0; r < rows; ++r) {
                TSchemaSubItem *row = item->GetSubItem(r);
                if (row && row->Caption().contains(Text, Qt::CaseInsensitive))
                    FMatches << Match { item, row };
            }
        }
    }
    setRings(true);
    if (FMatches.isEmpty()) {
        FCount->setText(Text.isEmpty() ? QString() : tr("no match"));
        return;
    }
    showMatch(0);
}

void TSchemaFindBar::Next()
{
    if (!FMatches.isEmpty())
        showMatch((FCurrent + 1) % int(FMatches.size()));
}

void TSchemaFindBar::Previous()
{
    if (!FMatches.isEmpty())
        showMatch((FCurrent + int(FMatches.size()) - 1) % int(FMatches.size()));
}

TSchemaFindBar::Match TSchemaFindBar::Current() const
{
    return FCurrent >= 0 ? FMatches.at(FCurrent) : Match {};
}

void TSchemaFindBar::showMatch(int index)
{
    FCurrent = index;
    FCount->setText(tr("%1 of %2").arg(index + 1).arg(FMatches.size()));
    const Match &m = FMatches.at(index);
    if (!m.Item)
        return;
    FArea->EnsureVisible(m.Item->geometry());
    if (!m.Row)
        return;
    const int row = m.Item->GetIndexBySubItem(m.Row);
    if (TSchemaListBox *list = m.Item->ListBox())
        list->setCurrentRow(row);
    else if (TSchemaTreeView *tree = m.Item->TreeView())
        tree->setCurrentItem(tree->NodeAt(row));
}

bool TSchemaFindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FArea && event->type() == QEvent::Resize && isVisible())
        place();
    if (watched == FEdit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Guarded([&] { key->modifiers() & Qt::ShiftModifier ? Previous() : Next(); });
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Guarded([&] { Close(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace Diduza
