#pragma once

#include "diduzawidgets_export.h"

namespace Diduza {

/// A random integer from 0 to range - 1, from the library's generator, seeded once from the
/// clock when first used.
DIDUZAWIDGETS_EXPORT int RandomInt(int range);

} // namespace Diduza
