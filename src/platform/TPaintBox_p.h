#pragma once

// A paint box's own state: its two events. Not installed.

#include "platform/TPaintBox.h"

namespace Diduza {

class TPaintBoxPrivate {
public:
    TPaintEvent FOnPaint;
    TMouseEvent FOnMouseUp;
};

} // namespace Diduza
