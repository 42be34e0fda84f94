#pragma once

// A find bar's own state: its area and controls, the matches and the items it rings. Not
// installed.

#include "diagram/TSchemaFindBar.h"

#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"

#include <QVector>

namespace Diduza {

class TSchemaFindBarPrivate {
public:
    explicit TSchemaFindBarPrivate(TSchemaDesignArea *area)
        : FArea(area)
    {
    }

    TSchemaDesignArea *FArea;
    QLineEdit *FEdit = nullptr;
    QLabel *FCount = nullptr;
    QVector<TSchemaFindBar::Match> FMatches;
    QVector<QPointer<TSchemaItem>> FRinged;
    int FCurrent = -1;
};

} // namespace Diduza
