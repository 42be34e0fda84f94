#include "diagram/items/RowKeys_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "platform/ColorConvert.h"
#include "resources/Glyphs.h"

#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace Diduza {

namespace {

const TSchemaDesignArea *areaOf(const TSchemaItem *item)
{
    if (!item)
        return nullptr;
    if (auto *area = qobject_cast<const TSchemaDesignArea *>(item->Parent()))
        return area;
    return item->Designer();
}

// The glyph rendered for the device's pixel ratio, so that it stays sharp on dense screens,
// with its black outlines in outline. Images, not pixmaps: they may outlive the application.
const QImage &glyph(bool primary, qreal ratio, QRgb outline)
{
    static QHash<quint64, QImage> cache;
    const int scale = qMax(1, int(std::ceil(ratio * 4))); // quarters
    const quint64 key = (quint64(outline) << 32) | quint64(scale * 2 + (primary ? 1 : 0));
    auto found = cache.find(key);
    if (found == cache.end()) {
        const int side = (KeyGlyphSize * scale + 3) / 4;
        QImage image = RenderGlyph(primary ? QStringLiteral(":/diduza/keys/KEY.svg")
                                           : QStringLiteral(":/diduza/keys/LINK.svg"),
            QSize(side, side), qRgb(0, 0, 0), QColor::fromRgb(outline));
        image.setDevicePixelRatio(qreal(side) / KeyGlyphSize);
        found = cache.insert(key, image);
    }
    return found.value();
}

} // namespace

int KeyColumnWidth(const TSchemaItem *item)
{
    const TSchemaDesignArea *area = areaOf(item);
    if (!area || !area->ShowKeys())
        return 0;
    const TSchemaTableInfo *table = area->Catalog().Table(item->GetCaption());
    if (!table)
        return 0;
    const int count
        = (table->PrimaryKey.isEmpty() ? 0 : 1) + (table->ForeignKeys.isEmpty() ? 0 : 1);
    return count ? count * KeyGlyphSlot + 1 : 0;
}

void PaintRowKeys(QPainter &painter, const TSchemaItem *item, const TSchemaSubItem *row,
    const QRect &rect, const QColor &background)
{
    const TSchemaDesignArea *area = areaOf(item);
    if (!area || !row)
        return;
    const TSchemaRowKeys keys = area->RowKeys(row);
    const TSchemaTableInfo *table = area->Catalog().Table(item->GetCaption());
    if (!table || (!keys.PrimaryKey && !keys.ForeignKey))
        return;
    // The density painted at: the device's, and any scaling of a painter that renders the
    // list elsewhere (a dense image, a print).
    const QTransform scale = painter.deviceTransform();
    const qreal ratio = qMax(painter.device() ? painter.device()->devicePixelRatioF() : 1.0,
        qMax(qAbs(scale.m11()), qAbs(scale.m22())));
    const int top = rect.top() + (rect.height() - KeyGlyphSize) / 2;
    // Black outlines vanish on a dark background, leaving a blob of the key's yellow.
    const QRgb outline = ReadableOn(QColor(Qt::black), background).rgb();
    int left = rect.left() + 1;
    if (!table->PrimaryKey.isEmpty()) {
        if (keys.PrimaryKey)
            painter.drawImage(QPoint(left, top), glyph(true, ratio, outline));
        left += KeyGlyphSlot;
    }
    if (keys.ForeignKey)
        painter.drawImage(QPoint(left, top), glyph(false, ratio, outline));
}

} // namespace Diduza
