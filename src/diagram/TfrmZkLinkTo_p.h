#pragma once

// The link dialog's own state: the item whose row is linked and the prompt naming that row.
// Not installed.

#include "diagram/TfrmZkLinkTo.h"

#include "diagram/TSchemaItem.h"

#include <QPointer>

namespace Diduza {

class TfrmZkLinkToPrivate {
public:
    explicit TfrmZkLinkToPrivate(TSchemaItem *source)
        : FSource(source)
    {
    }

    QPointer<TSchemaItem> FSource;
    QLabel *FPrompt = nullptr;
};

} // namespace Diduza
