#include "diagram/TSchemaFindBar.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/Application.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVector>

namespace Diduza {

// A find bar's own state: its area and controls, the matches and the items it rings. Not
// installed.
class TSchemaFindBarPrivate {
public:
    TSchemaFindBarPrivate(TSchemaFindBar *owner, TSchemaDesignArea *area)
        : FArea(area)
        , q(owner)
    {
    }

    TSchemaDesignArea *FArea;
    QLineEdit *FEdit = nullptr;
    QLabel *FCount = nullptr;
    QVector<TSchemaFindBar::Match> FMatches;
    QVector<QPointer<TSchemaItem>> FRinged;
    int FCurrent = -1;

    void showMatch(int index);
    void place();
    void setRings(bool on);

    TSchemaFindBar *const q;
};

TSchemaFindBar::TSchemaFindBar(TSchemaDesignArea *parent)
    : QWidget(parent)
    , d(std::make_unique<TSchemaFindBarPrivate>(this, parent))
{
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 3, 4, 3);
    layout->setSpacing(4);
    d->FEdit = new QLineEdit(this);
    d->FEdit->setObjectName(QStringLiteral("edFind"));
    d->FEdit->setPlaceholderText(tr("Find table or field"));
    d->FEdit->setClearButtonEnabled(true);
    d->FEdit->setMinimumWidth(160);
    d->FEdit->installEventFilter(this);
    d->FCount = new QLabel(this);
    d->FCount->setObjectName(QStringLiteral("lblFindCount"));
    d->FCount->setMinimumWidth(
        d->FCount->fontMetrics().horizontalAdvance(QStringLiteral("000 of 000")));
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
    layout->addWidget(d->FEdit, 1);
    layout->addWidget(d->FCount);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(close);
    connect(d->FEdit, &QLineEdit::textEdited, this,
        [this](const QString &text) { Guarded([&] { Find(text); }); });
    connect(previous, &QToolButton::clicked, this, [this] { Guarded([&] { Previous(); }); });
    connect(next, &QToolButton::clicked, this, [this] { Guarded([&] { Next(); }); });
    connect(close, &QToolButton::clicked, this, [this] { Guarded([&] { Close(); }); });
    parent->installEventFilter(this); // follows the area's size
    hide();
}

void TSchemaFindBarPrivate::place()
{
    q->adjustSize();
    const QRect view = FArea->viewport()->geometry();
    q->move(view.right() - q->width() - 4, view.top() + 4);
    q->raise();
}

TSchemaFindBar::~TSchemaFindBar() = default;

QLineEdit *TSchemaFindBar::Edit() const
{
    return d->FEdit;
}

int TSchemaFindBar::MatchCount() const
{
    return int(d->FMatches.size());
}

int TSchemaFindBar::CurrentIndex() const
{
    return d->FCurrent;
}

void TSchemaFindBar::Open()
{
    d->place();
    show();
    d->FEdit->setFocus(Qt::ShortcutFocusReason);
    d->FEdit->selectAll();
    if (!d->FEdit->text().isEmpty())
        Find(d->FEdit->text());
}

void TSchemaFindBar::Close()
{
    d->setRings(false);
    d->FMatches.clear();
    d->FCurrent = -1;
    hide();
    d->FArea->setFocus(Qt::OtherFocusReason);
}

void TSchemaFindBarPrivate::setRings(bool on)
{
    QVector<QPointer<TSchemaItem>> ringed;
    if (on) {
        for (const TSchemaFindBar::Match &m : std::as_const(FMatches)) {
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
    d->FMatches.clear();
    d->FCurrent = -1;
    if (!Text.isEmpty()) {
        const int count = d->FArea->GetItemCount();
        for (int i = 0; i < count; ++i) {
            TSchemaItem *item = d->FArea->GetItem(i);
            if (item->GetCaption().contains(Text, Qt::CaseInsensitive))
                d->FMatches << Match { item, nullptr };
            const int rows = item->GetSubItemCount();
            for (int r = 0; r < rows; ++r) {
                TSchemaSubItem *row = item->GetSubItem(r);
                if (row && row->Caption().contains(Text, Qt::CaseInsensitive))
                    d->FMatches << Match { item, row };
            }
        }
    }
    d->setRings(true);
    if (d->FMatches.isEmpty()) {
        d->FCount->setText(Text.isEmpty() ? QString() : tr("no match"));
        return;
    }
    d->showMatch(0);
}

void TSchemaFindBar::Next()
{
    if (!d->FMatches.isEmpty())
        d->showMatch((d->FCurrent + 1) % int(d->FMatches.size()));
}

void TSchemaFindBar::Previous()
{
    if (!d->FMatches.isEmpty())
        d->showMatch((d->FCurrent + int(d->FMatches.size()) - 1) % int(d->FMatches.size()));
}

TSchemaFindBar::Match TSchemaFindBar::Current() const
{
    return d->FCurrent >= 0 ? d->FMatches.at(d->FCurrent) : Match {};
}

void TSchemaFindBarPrivate::showMatch(int index)
{
    FCurrent = index;
    FCount->setText(TSchemaFindBar::tr("%1 of %2").arg(index + 1).arg(FMatches.size()));
    const TSchemaFindBar::Match &m = FMatches.at(index);
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
    if (watched == d->FArea && event->type() == QEvent::Resize && isVisible())
        d->place();
    if (watched == d->FEdit && event->type() == QEvent::KeyPress) {
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
