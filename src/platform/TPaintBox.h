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

/// A widget painted and answering mouse release through the OnPaint and OnMouseUp events.
class DIDUZAWIDGETS_EXPORT TPaintBox : public QWidget {
    Q_OBJECT
public:
    /// A box with no handlers, which paints nothing.
    explicit TPaintBox(QWidget *parent = nullptr);
    ~TPaintBox() override; ///< Drops the handlers with the box.

    /// Fired by every paint of the box; the painter's state is restored after the handler.
    TPaintEvent OnPaint() const;
    /// See OnPaint.
    void SetOnPaint(TPaintEvent Value);
    /// Fired when a mouse button is released over the box.
    TMouseEvent OnMouseUp() const;
    /// See OnMouseUp.
    void SetOnMouseUp(TMouseEvent Value);

protected:
    /// Fires OnPaint; an exception the handler raises goes to the application handler.
    void paintEvent(QPaintEvent *event) override;
    /// Fires OnMouseUp (exceptions go to the application handler), then QWidget's handling.
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    /// The private state.
    std::unique_ptr<TPaintBoxPrivate> d;
};

} // namespace Diduza
