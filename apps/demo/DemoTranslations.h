#pragma once

class QLocale;

// Installs the library's catalogue for locale (compiled into the library) and, beside it, Qt's
// own (the standard buttons and dialogs) from Qt's translations folder where it is installed.
// False when the library has no catalogue for it; Qt's missing catalogue leaves Qt's texts in
// English and is no failure.
bool InstallDemoTranslations(const QLocale &locale);
