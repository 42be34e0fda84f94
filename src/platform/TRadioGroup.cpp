#include "platform/TRadioGroup.h"

#include <QGridLayout>
#include <QRadioButton>

namespace Diduza {

TRadioGroup::TRadioGroup(QWidget *parent)
    : QGroupBox(parent)
    , FGroup(new QButtonGroup(this))
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(0);
}

TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::SetItems(const QStringList &items)
{
    FItems = items;
    rebuild();
}

QStringList TRadioGroup::Items() const
{
    return FItems;
}

void TRadioGroup::SetColumns(int columns)
{
    FColumns = qMax(1, columns);
    rebuild();
}

void TRadioGroup::rebuild()
{
    const int selected = ItemIndex();
    const auto buttons = FGroup->buttons();
    for (QAbstractButton *b : buttons) {
        FGroup->removeButton(b);
        delete b;
    }
    auto *grid = static_cast<QGridLayout *>(layout());
    const int rows = (int(FItems.size()) + FColumns - 1) / FColumns;
    for (int i = 0; i < FItems.size(); ++i) {
        auto *button = new QRadioButton(FItems[i], this);
        FGroup->addButton(button, i);
        // Filled column by column, as a radio group does.
        grid->addWidget(button, rows ? i % rows : 0, rows ? i / rows : 0);
    }
    SetItemIndex(selected);
}

int TRadioGroup::ItemIndex() const
{
    return FGroup->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *button = FGroup->button(index)) {
        button->setChecked(true);
    } else if (QAbstractButton *checked = FGroup->checkedButton()) {
        FGroup->setExclusive(false);
        checked->setChecked(false);
        FGroup->setExclusive(true);
    }
}

QAbstractButton *TRadioGroup::Button(int index) const
{
    return FGroup->button(index);
}

} // namespace Diduza
