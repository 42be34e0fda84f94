#include "diagram/items/TSchemaText.h"

#include "platform/ColorConvert.h"
#include "platform/VisibleText.h"

#include <QPainter>
#include <QPointer>
#include <QPolygon>

namespace Diduza {

// A text control's own state: its row, outline, text and how the text is laid out and
// coloured.
class TSchemaTextPrivate {
public:
    QPointer<TSchemaSubItem> FData;
    TSchemaShapeKind FShapeKind = skRectangle;
    QString FCaption;
    bool FWordWrap = true;
    Qt::Alignment FAlignment = Qt::AlignLeft;
    TSchemaText::TTextLayout FLayout = TSchemaText::tlTop;
    bool FShowAccelChar = true;
    bool FTransparent = false;
    TColor FColor = clBtnFace;
    TColor FFontColor = clWindowText;

    int textFlags() const;
    QString displayText(bool measuring) const;
};

TSchemaText::TSchemaText(QWidget *AOwner)
    : QWidget(AOwner)
    , d(std::make_unique<TSchemaTextPrivate>())
{
    setObjectName(QStringLiteral("ItemControl"));
    resize(65, 17);
    // Presses fall through to the item, which moves by its body.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

TSchemaText::~TSchemaText() = default;

TSchemaSubItem *TSchemaText::Data() const
{
    return d->FData.data();
}

void TSchemaText::SetData(TSchemaSubItem *Value)
{
    d->FData = Value;
}

TSchemaShapeKind TSchemaText::ShapeKind() const
{
    return d->FShapeKind;
}

QString TSchemaText::Caption() const
{
    return d->FCaption;
}

bool TSchemaText::WordWrap() const
{
    return d->FWordWrap;
}

Qt::Alignment TSchemaText::Alignment() const
{
    return d->FAlignment;
}

TSchemaText::TTextLayout TSchemaText::Layout() const
{
    return d->FLayout;
}

bool TSchemaText::ShowAccelChar() const
{
    return d->FShowAccelChar;
}

bool TSchemaText::Transparent() const
{
    return d->FTransparent;
}

TColor TSchemaText::Color() const
{
    return d->FColor;
}

TColor TSchemaText::FontColor() const
{
    return d->FFontColor;
}

void TSchemaText::SetShapeKind(TSchemaShapeKind Value)
{
    if (d->FShapeKind == Value)
        return;
    d->FShapeKind = Value;
    update();
}

void TSchemaText::SetCaption(const QString &Value)
{
    d->FCaption = Value;
    update();
}

void TSchemaText::SetWordWrap(bool Value)
{
    d->FWordWrap = Value;
    update();
}

void TSchemaText::SetAlignment(Qt::Alignment Value)
{
    d->FAlignment = Value & Qt::AlignHorizontal_Mask;
    update();
}

void TSchemaText::SetLayout(TTextLayout Value)
{
    d->FLayout = Value;
    update();
}

void TSchemaText::SetShowAccelChar(bool Value)
{
    d->FShowAccelChar = Value;
    update();
}

void TSchemaText::SetTransparent(bool Value)
{
    d->FTransparent = Value;
    update();
}

void TSchemaText::SetColor(TColor Value)
{
    d->FColor = Value;
    update();
}

void TSchemaText::SetFontColor(TColor Value)
{
    d->FFontColor = Value;
    update();
}

int TSchemaTextPrivate::textFlags() const
{
    int flags = Qt::TextExpandTabs | Qt::AlignTop;
    if (FWordWrap)
        flags |= Qt::TextWordWrap;
    if (FAlignment & Qt::AlignRight)
        flags |= Qt::AlignRight;
    else if (FAlignment & Qt::AlignHCenter)
        flags |= Qt::AlignHCenter;
    else
        flags |= Qt::AlignLeft;
    if (FShowAccelChar)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

QString TSchemaTextPrivate::displayText(bool measuring) const
{
    if (measuring && (FCaption.isEmpty() || (FShowAccelChar && FCaption == QLatin1String("&"))))
        return FCaption + QLatin1Char(' ');
    return VisibleText(FCaption);
}

QSize TSchemaText::MeasureText(int width) const
{
    const QFontMetrics fm(font());
    int flags = d->textFlags();
    if (width < 0) {
        flags &= ~Qt::TextWordWrap;
        width = 1 << 20;
    }
    return fm.boundingRect(QRect(0, 0, width, 1 << 20), flags, d->displayText(true)).size();
}

void TSchemaText::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Paint(painter);
}

namespace {
// The shape behind the text, in the painter's pen and brush; a rectangle's folded corner takes
// one pixel from the top and the right of the text's room.
void paintShape(QPainter &painter, TSchemaShapeKind kind, int W, int H, int &top, int &right)
{
    switch (kind) {
    case skRectangle: {
        const QPolygon sheet({ QPoint(W - 10, 0), QPoint(W - 1, 10), QPoint(W - 1, H - 1),
            QPoint(0, H - 1), QPoint(0, 0) });
        painter.drawPolygon(sheet);
        const QPolygon fold({ QPoint(W - 10, 0), QPoint(W - 10, 10), QPoint(W, 10) });
        painter.drawPolygon(fold);
        top += 1;
        right -= 1;
        break;
    }
    case skRoundRect:
        painter.drawRoundedRect(QRect(0, 0, W - 1, H - 1), 5, 5);
        break;
    case skStar: {
        const int dx = W / 6;
        const int dy = H / 6;
        const QPolygon star({ QPoint(W / 2, 0), QPoint(dx, H - dy), QPoint(W, H / 2 - dy),
            QPoint(0, H / 2 - dy), QPoint(W - dx, H - dy), QPoint(W / 2, 0) });
        painter.drawPolyline(star);
        break;
    }
    case skTriangle: {
        const QPolygon triangle(
            { QPoint(0, H - 1), QPoint(W / 2, 0), QPoint(W, H - 1), QPoint(0, H - 1) });
        painter.drawPolyline(triangle);
        break;
    }
    case skOctogon: {
        const int cx = W / 3;
        const int cy = H / 3;
        const QPolygon octagon({ QPoint(cx, 0), QPoint(W - cx, 0), QPoint(W - 1, cy),
            QPoint(W - 1, H - cy), QPoint(W - cx, H - 1), QPoint(cx, H - 1), QPoint(0, H - cy),
            QPoint(0, cy), QPoint(cx, 0) });
        painter.drawPolyline(octagon);
        break;
    }
    case skNone:
    case skEllipse:
    default:
        break;
    }
}
} // namespace

void TSchemaText::Paint(QPainter &painter)
{
    const int W = width();
    const int H = height();
    QRect r(0, 0, W, H); // right and bottom exclusive, kept as edges below
    int left = 0, top = 0, right = W, bottom = H;
    // The platform's default pen: one pixel in the window text colour (black in a light palette).
    painter.setPen(QPen(ColorToQColor(clWindowText, palette()), 0));
    painter.setBrush(
        d->FTransparent ? QBrush(Qt::NoBrush) : QBrush(ColorToQColor(d->FColor, palette())));
    painter.setRenderHint(QPainter::Antialiasing, false);

    paintShape(painter, d->FShapeKind, W, H, top, right);
    left += 1;
    top += 1;

    const int flags = d->textFlags();
    painter.setFont(font());
    if (d->FLayout != tlTop) {
        // Measure first: the rectangle takes the text's height, then moves down. It keeps its
        // width, so that a centred or right-aligned text stays aligned in the whole label.
        const QRect measured = painter.fontMetrics().boundingRect(
            QRect(left, top, qMax(0, right - left), 1 << 20), flags, d->displayText(true));
        bottom = top + measured.height();
        const int shift = d->FLayout == tlBottom ? H - bottom : (H - bottom) / 2;
        top += shift;
        bottom += shift;
    }
    r = QRect(left, top, qMax(0, right - left), qMax(0, bottom - top));
    const QString text = d->displayText(false);
    if (isEnabled()) {
        painter.setPen(ColorToQColor(d->FFontColor, palette()));
        painter.drawText(r, flags, text);
    } else {
        painter.setPen(ColorToQColor(clBtnHighlight, palette()));
        painter.drawText(r.translated(1, 1), flags, text);
        painter.setPen(ColorToQColor(clBtnShadow, palette()));
        painter.drawText(r, flags, text);
    }
}

} // namespace Diduza
