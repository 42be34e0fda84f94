#pragma once

#include "diduzawidgets_export.h"

class QWidget;

namespace Diduza {

/// Suspends the drawing of one window. Only one window in the process can be suspended at a
/// time: a request for another window fails while one is held. LockWindowUpdate(nullptr) resumes
/// the window that holds the slot. A destroyed window frees the slot.
DIDUZAWIDGETS_EXPORT bool LockWindowUpdate(QWidget *window);
/// The window that holds the slot, or nullptr.
DIDUZAWIDGETS_EXPORT QWidget *LockedWindow();

/// Width of one glyph of the platform's standard check box, measured once per application
/// from its style when first asked (13 while there is no QApplication).
DIDUZAWIDGETS_EXPORT int CheckBoxGlyphWidth();
/// Height of that glyph, as CheckBoxGlyphWidth (13 while there is no QApplication).
DIDUZAWIDGETS_EXPORT int CheckBoxGlyphHeight();

} // namespace Diduza
