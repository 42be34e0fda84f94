#include "platform/TRadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>
#include <QStringList>

namespace Diduza {

// A radio group's own state: its entries, its columns and the buttons' group.
class TRadioGroupPrivate {
public:
    explicit TRadioGroupPrivate(TRadioGroup *owner)
        : q(owner)
    {
    }

    QStringList FItems;
    int FColumns = 1;
    QButtonGroup *FGroup = nullptr;

    // Makes the buttons again from the items and columns, keeping the selected index.
    void rebuild();

    TRadioGroup *const q;
};

TRadioGroup::TRadioGroup(QWidget *parent)
    : QGroupBox(parent)
    , d(std::make_unique<TRadioGroupPrivate>(this))
{
    d->FGroup = new QButtonGroup(this);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(0);
}

TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::SetItems(const QStringList &Value)
{
    d->FItems = Value;
    d->rebuild();
}

int TRadioGroup::Columns() const
{
    return d->FColumns;
}

QStringList TRadioGroup::Items() const
{
    return d->FItems;
}

void TRadioGroup::SetColumns(int Value)
{
    d->FColumns = qMax(1, Value);
    d->rebuild();
}

void TRadioGroupPrivate::rebuild()
{
    const int selected = q->ItemIndex();
    const auto buttons = FGroup->buttons();
    for (QAbstractButton *b : buttons) {
        FGroup->removeButton(b);
        delete b;
    }
    auto *grid = static_cast<QGridLayout *>(q->layout());
    const int rows = (int(FItems.size()) + FColumns - 1) / FColumns;
    for (int i = 0; i < FItems.size(); ++i) {
        auto *button = new QRadioButton(FItems[i], q);
        FGroup->addButton(button, i);
        // Filled column by column, as a radio group does.
        grid->addWidget(button, rows ? i % rows : 0, rows ? i / rows : 0);
    }
    q->SetItemIndex(selected);
}

int TRadioGroup::ItemIndex() const
{
    return d->FGroup->checkedId();
}

void TRadioGroup::SetItemIndex(int Value)
{
    if (QAbstractButton *button = d->FGroup->button(Value)) {
        button->setChecked(true);
    } else if (QAbstractButton *checked = d->FGroup->checkedButton()) {
        d->FGroup->setExclusive(false);
        checked->setChecked(false);
        d->FGroup->setExclusive(true);
    }
}

QAbstractButton *TRadioGroup::Button(int index) const
{
    return d->FGroup->button(index);
}

} // namespace Diduza
