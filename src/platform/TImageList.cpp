#include "platform/TImageList.h"

#include "platform/ColorConvert.h"

#include <QIcon>
#include <QPainter>

namespace Diduza {

TImageList::TImageList(int width, int height, QObject *AOwner)
    : QObject(AOwner)
    , FWidth(width)
    , FHeight(height)
{
}

TImageList::~TImageList() = default;

int TImageList::Add(const QPixmap &image)
{
    QPixmap pm = image;
    if (!pm.isNull() && pm.size() != QSize(FWidth, FHeight))
        pm = pm.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    FImages.append(pm);
    return int(FImages.size()) - 1;
}

int TImageList::AddMasked(const QImage &image, TColor transparent)
{
    QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ColorToQColor(transparent).rgb() & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
        }
    }
    return Add(QPixmap::fromImage(img));
}

void TImageList::Clear()
{
    FImages.clear();
}

QPixmap TImageList::Image(int index) const
{
    return (index >= 0 && index < Count()) ? FImages[index] : QPixmap();
}

void TImageList::Draw(QPainter &painter, int x, int y, int index, bool enabled) const
{
    if (index < 0 || index >= Count())
        return;
    if (enabled) {
        painter.drawPixmap(x, y, FImages[index]);
    } else {
        const QPixmap grey = QIcon(FImages[index]).pixmap(QSize(FWidth, FHeight), QIcon::Disabled);
        painter.drawPixmap(x, y, grey);
    }
}

} // namespace Diduza
