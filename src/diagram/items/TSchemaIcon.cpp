#include "diagram/items/TSchemaIcon.h"

#include "resources/Glyphs.h"

#include <QPainter>
#include <QPointer>

namespace Diduza {

// An icon control's own state: its row, glyph type and the glyph as loaded and as drawn. Not
// installed.
class TSchemaIconPrivate {
public:
    explicit TSchemaIconPrivate(TSchemaIcon *owner)
        : q(owner)
    {
    }

    QPointer<TSchemaSubItem> FData;
    TSCIconType FIconType = itDefault;
    QImage FPicture;
    QImage FTransparentPicture;

    void updateGlyph();

    TSchemaIcon *const q;
};

TSchemaIcon::TSchemaIcon(QWidget *AOwner)
    : QWidget(AOwner)
    , d(std::make_unique<TSchemaIconPrivate>(this))
{
    setObjectName(QStringLiteral("ItemControl"));
    resize(65, 17);
    // Presses fall through to the item, which moves by its body.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    d->updateGlyph();
}

TSchemaIcon::~TSchemaIcon() = default;

QString TSchemaIcon::GlyphResourceName(TSCIconType type)
{
    return QStringLiteral("SIT_") + EnumValueName(type).mid(2).toUpper();
}

QImage TSchemaIcon::LoadGlyph(TSCIconType type)
{
    return RenderGlyph(IconGlyphPath(int(type)), QSize(32, 32));
}

TSchemaSubItem *TSchemaIcon::Data() const
{
    return d->FData.data();
}

void TSchemaIcon::SetData(TSchemaSubItem *Value)
{
    d->FData = Value;
}

TSCIconType TSchemaIcon::IconType() const
{
    return d->FIconType;
}

const QImage &TSchemaIcon::Picture() const
{
    return d->FPicture;
}

void TSchemaIcon::SetIconType(TSCIconType Value)
{
    if (d->FIconType == Value)
        return;
    d->FIconType = Value;
    d->updateGlyph();
}

void TSchemaIconPrivate::updateGlyph()
{
    FPicture = q->LoadGlyph(FIconType);
    // Drawn transparent: pixels of the lower-left pixel's colour are not drawn.
    FTransparentPicture = FPicture.isNull()
        ? FPicture
        : MakeTransparent(FPicture, FPicture.pixel(0, FPicture.height() - 1));
    q->update();
}

void TSchemaIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int x = (width() - d->FTransparentPicture.width()) / 2;
    const int y = (height() - d->FTransparentPicture.height()) / 2;
    painter.drawImage(x, y, d->FTransparentPicture);
}

} // namespace Diduza
