#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaIcon_p.h"

#include "resources/Glyphs.h"

#include <QPainter>

namespace Diduza {

TSchemaIcon::TSchemaIcon(QWidget *AOwner)
    : QWidget(AOwner)
    , d(std::make_unique<TSchemaIconPrivate>())
{
    setObjectName(QStringLiteral("ItemControl"));
    resize(65, 17);
    // Presses fall through to the item, which moves by its body.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    updateGlyph();
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
    updateGlyph();
}

void TSchemaIcon::updateGlyph()
{
    d->FPicture = LoadGlyph(d->FIconType);
    // Drawn transparent: pixels of the lower-left pixel's colour are not drawn.
    d->FTransparentPicture = d->FPicture.isNull()
        ? d->FPicture
        : MakeTransparent(d->FPicture, d->FPicture.pixel(0, d->FPicture.height() - 1));
    update();
}

void TSchemaIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int x = (width() - d->FTransparentPicture.width()) / 2;
    const int y = (height() - d->FTransparentPicture.height()) / 2;
    painter.drawImage(x, y, d->FTransparentPicture);
}

} // namespace Diduza
