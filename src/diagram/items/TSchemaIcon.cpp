#include "diagram/items/TSchemaIcon.h"

#include "resources/Glyphs.h"

#include <QFile>
#include <QPainter>

namespace Diduza {

TSchemaIcon::TSchemaIcon(QWidget *parent)
    : QWidget(parent)
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

void TSchemaIcon::SetIconType(TSCIconType Value)
{
    if (FIconType == Value)
        return;
    FIconType = Value;
    updateGlyph();
}

void TSchemaIcon::updateGlyph()
{
    FPicture = LoadGlyph(FIconType);
    // Drawn transparent: pixels of the lower-left pixel's colour are not drawn.
    FTransparentPicture = FPicture.isNull()
        ? FPicture
        : MakeTransparent(FPicture, FPicture.pixel(0, FPicture.height() - 1));
    update();
}

void TSchemaIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int x = (width() - FTransparentPicture.width()) / 2;
    const int y = (height() - FTransparentPicture.height()) / 2;
    painter.drawImage(x, y, FTransparentPicture);
}

} // namespace Diduza
