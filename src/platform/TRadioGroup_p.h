#pragma once

// A radio group's own state: its entries, its columns and the buttons' group. Not installed.

#include <QButtonGroup>
#include <QStringList>

namespace Diduza {

class TRadioGroupPrivate {
public:
    QStringList FItems;
    int FColumns = 1;
    QButtonGroup *FGroup = nullptr;
};

} // namespace Diduza
