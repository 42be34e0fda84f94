#include "resources/Glyphs.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <array>

namespace Diduza {

namespace {

const char *const IconNames[IconGlyphCount] = { "DEFAULT", "COMPUTER", "DRIVE", "CALCULATOR",
    "CALENDAR", "DESIGN", "FAX", "RECYCLE", "CONNECTION", "CROSS", "PASSWORD", "DATABASE", "PAPER",
    "LINK", "RELATION", "SETTINGS", "FOLDERBOX", "FONT", "FORM", "GRAPH", "MAIL", "NETWORK", "NOTE",
    "WEBDATA", "PRINTER", "SERVER", "SIGNAL", "STOPLIGHT", "TIME", "UPDATE", "USER" };

const char *const ToolbarNames[ToolbarGlyphCount]
    = { "LISTBOX", "CHECKLISTBOX", "TREEVIEW", "TEXT", "ICON" };

const char *const PaletteNames[PaletteGlyphCount] = { "TSCHEMADESIGNAREA", "TSQLBUILDERDIALOG",
    "TSCHEMACUSTOMDATAENGINE", "TSCHEMABDEDATAENGINE", "TSCHEMAADODATAENGINE" };

// Samples per pixel along each axis when rendering; the picture is drawn this much larger
// (with anti-aliasing) and each pixel takes the most frequent colour of its block.
int SuperSampling(QSize size)
{
    const int side = std::max(size.width(), size.height());
    return std::clamp(1024 / side, 1, 8);
}

// The most frequent value of a block of s x s pixels of fine, whose top-left is (x0, y0).
QRgb DominantColour(const QImage &fine, int x0, int y0, int s)
{
    std::array<QRgb, 64> colours {};
    std::array<int, 64> counts {};
    int distinct = 0;
    for (int y = y0; y < y0 + s; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(fine.constScanLine(y));
        for (int x = x0; x < x0 + s; ++x) {
            // Fully transparent pixels may differ in their colour bits; they are one colour.
            const QRgb c = qAlpha(line[x]) == 0 ? 0u : line[x];
            int i = 0;
            while (i < distinct && colours[i] != c)
                ++i;
            if (i == distinct) {
                colours[i] = c;
                ++distinct;
            }
            ++counts[i];
        }
    }
    int best = 0;
    for (int i = 1; i < distinct; ++i) {
        if (counts[i] > counts[best])
            best = i;
    }
    return colours[best];
}

} // namespace

QString IconGlyphPath(int index)
{
    if (index < 0 || index >= IconGlyphCount)
        return QString();
    return QStringLiteral(":/diduza/icons/SIT_%1.svg").arg(QLatin1String(IconNames[index]));
}

QString ToolbarGlyphPath(int index)
{
    if (index < 0 || index >= ToolbarGlyphCount)
        return QString();
    return QStringLiteral(":/diduza/toolbar/STB_%1.svg").arg(QLatin1String(ToolbarNames[index]));
}

QString PaletteGlyphPath(const QString &ResourceName)
{
    for (const char *name : PaletteNames) {
        if (ResourceName == QLatin1String(name))
            return QStringLiteral(":/diduza/palette/%1.svg").arg(ResourceName);
    }
    return QString();
}

QStringList PaletteGlyphNames()
{
    QStringList names;
    for (const char *name : PaletteNames)
        names << QString::fromLatin1(name);
    return names;
}

namespace {
QImage renderGlyph(QSvgRenderer &renderer, QSize size)
{
    if (size.isEmpty() || !renderer.isValid())
        return QImage();

    const int s = SuperSampling(size);
    QImage fine(size * s, QImage::Format_ARGB32);
    fine.fill(Qt::transparent);
    {
        QPainter painter(&fine);
        renderer.render(&painter);
    }
    if (s == 1)
        return fine;

    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = DominantColour(fine, x * s, y * s, s);
    }
    return image;
}
} // namespace

QImage RenderGlyph(const QString &resourcePath, QSize size)
{
    if (size.isEmpty() || !QFile::exists(resourcePath))
        return QImage();
    QSvgRenderer renderer(resourcePath);
    return renderGlyph(renderer, size);
}

QImage RenderGlyph(const QString &resourcePath, QSize size, QRgb From, const QColor &To)
{
    QFile file(resourcePath);
    if (size.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QImage();
    QByteArray svg = file.readAll();
    const QByteArray from = QColor(From).name().toLatin1();
    const QByteArray to = To.name().toLatin1();
    svg.replace(from, to);
    svg.replace(from.toUpper(), to);
    QSvgRenderer renderer(svg);
    return renderGlyph(renderer, size);
}

QImage MakeTransparent(const QImage &image, QRgb key)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb rgb = key & RGB_MASK;
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & RGB_MASK) == rgb)
                line[x] = 0;
        }
    }
    return result;
}

QPixmap ToolbarGlyph(int index)
{
    const QImage image = RenderGlyph(ToolbarGlyphPath(index), QSize(16, 16));
    if (image.isNull())
        return QPixmap();
    return QPixmap::fromImage(MakeTransparent(image, GlyphKeyColor));
}

QIcon PaletteGlyph(const QString &ResourceName)
{
    const QString path = PaletteGlyphPath(ResourceName);
    if (path.isEmpty())
        return QIcon();
    QIcon icon;
    for (const int side : { 24, 16 })
        icon.addPixmap(QPixmap::fromImage(RenderGlyph(path, QSize(side, side))));
    return icon;
}

} // namespace Diduza
