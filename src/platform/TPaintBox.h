#pragma once

// A paint box: a plain widget whose painting and mouse release are the owner's, through two
// events. The owner draws with the painter it is handed, in the box's own coordinates.

#include "diduzawidgets_export.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace Diduza {

class TPaintBoxPrivate;

/// The box is to be painted; Canvas is open on it.
using TPaintEvent = std::function<void(QObject *Sender, QPainter &Canvas)>;
/// A mouse button went up at (X, Y) in the sender's coordinates.
using TMouseEvent = std::function<void(
    QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;

/// The owner-draw state of a list entry.
enum TOwnerDrawStateFlag {
    odSelected = 0x1,
    odGrayed = 0x2,
    odDisabled = 0x4,
    odChecked = 0x8,
    odFocused = 0x10,
};
Q_DECLARE_FLAGS(TOwnerDrawState, TOwnerDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOwnerDrawState)

/// Paints entry Index of the list Control into Rect with Canvas.
using TDrawItemEvent = std::function<void(
    QObject *Control, int Index, const QRect &Rect, TOwnerDrawState State, QPainter &Canvas)>;

class DIDUZAWIDGETS_EXPORT TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget *parent = nullptr);
    ~TPaintBox() override;

    TPaintEvent OnPaint() const;
    void SetOnPaint(TPaintEvent h);
    TMouseEvent OnMouseUp() const;
    void SetOnMouseUp(TMouseEvent h);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::unique_ptr<TPaintBoxPrivate> d;
};

} // namespace Diduza
