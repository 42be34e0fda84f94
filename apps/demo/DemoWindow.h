#pragma once

// The demo's main window on the screen it opens on.

#include <QSize>

class QWidget;

// Gives Window the size Preferred where its screen has room for it, and what the screen's
// available area (the desktop less its panels) leaves otherwise, frame included: at a high
// scale the preferred size is larger than the screen. Once the window is shown, its frame is
// known: the window is then fitted again and moved into the available area.
void FitDemoWindow(QWidget *Window, const QSize &Preferred);
