#include "platform/TRadioGroup.h"
#include "platform/TRadioGroup_p.h"

#include <QGridLayout>
#include <QRadioButton>

namespace Diduza {

TRadioGroup::TRadioGroup(QWidget *parent)
    : QGroupBox(parent)
    , d(std::make_unique<TRadioGroupPrivate>())
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
    rebuild();
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
    rebuild();
}

void TRadioGroup::rebuild()
{
    const int selected = ItemIndex();
    const auto buttons = d->FGroup->buttons();
    for (QAbstractButton *b : buttons) {
        d->FGroup->removeButton(b);
        delete b;
    }
    auto *grid = static_cast<QGridLayout *>(layout());
    const int rows = (int(d->FItems.size()) + d->FColumns - 1) / d->FColumns;
    for (int i = 0; i < d->FItems.size(); ++i) {
        auto *button = new QRadioButton(d->FItems[i], this);
        d->FGroup->addButton(button, i);
        // Filled column by column, as a radio group does.
        grid->addWidget(button, rows ? i % rows : 0, rows ? i / rows : 0);
    }
    SetItemIndex(selected);
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
