#include "platform/TImageList.h"

#include "platform/ColorConvert.h"

#include <QIcon>
#include <QPainter>

namespace Diduza {

TImageList::TImageList(int width, int height, QObject *owner)
    : QObject(owner)
    , m_width(width)
    , m_height(height)
{
}

TImageList::~TImageList() = default;

int TImageList::Add(const QPixmap &image)
{
    QPixmap pm = image;
    if (!pm.isNull() && pm.size() != QSize(m_width, m_height))
        pm = pm.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_images.append(pm);
    return int(m_images.size()) - 1;
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
    m_images.clear();
}

QPixmap TImageList::Image(int index) const
{
    return (index >= 0 && index < Count()) ? m_images[index] : QPixmap();
}

void TImageList::Draw(QPainter &painter, int x, int y, int index, bool enabled) const
{
    if (index < 0 || index >= Count())
        return;
    if (enabled) {
        painter.drawPixmap(x, y, m_images[index]);
    } else {
        const QPixmap grey
            = QIcon(m_images[index]).pixmap(QSize(m_width, m_height), QIcon::Disabled);
        painter.drawPixmap(x, y, grey);
    }
}

} // namespace Diduza
