#include "diagram/TSchemaIcon.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace Diduza {

TSchemaIcon::TSchemaIcon(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ItemControl"));
    resize(65, 17);
    // Presses fall through to the item, which moves by its body.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    loadGlyph();
}

TSchemaIcon::~TSchemaIcon() = default;

QString TSchemaIcon::GlyphResourceName(TSCIconType type)
{
    return QStringLiteral("SIT_") + EnumValueName(type).mid(2).toUpper();
}

QImage TSchemaIcon::LoadGlyph(TSCIconType type)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(QColor(255, 0, 255));
    const QString path = QStringLiteral(":/diduza/icons/%1.svg").arg(GlyphResourceName(type));
    QSvgRenderer renderer(path);
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, 32, 32));
    }
    return image;
}

void TSchemaIcon::SetIconType(TSCIconType Value)
{
    if (FIconType == Value)
        return;
    FIconType = Value;
    loadGlyph();
}

void TSchemaIcon::loadGlyph()
{
    FPicture = LoadGlyph(FIconType);
    // Drawn transparent: pixels of the lower-left pixel's colour are not drawn.
    FTransparentPicture = FPicture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = FPicture.pixel(0, FPicture.height() - 1) & 0xFFFFFF;
    for (int y = 0; y < FTransparentPicture.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(FTransparentPicture.scanLine(y));
        for (int x = 0; x < FTransparentPicture.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
        }
    }
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
