#include "diagram/tools/TSchemaDiagramExport.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "relations/TSchemaRelation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSvgGenerator>

#include <algorithm>

namespace Diduza {

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Diduza::TSchemaDiagramExport", text);
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// Where pages break along one axis of [from, to): every part at most page long. Spans are the
// items' extents on that axis; a cut inside one that fits on a page moves back to its start,
// and then up to gap further where that cuts no item, so that it does not touch the page edge.
QVector<int> pageBreaks(int from, int to, int page, const QVector<QPair<int, int>> &spans, int gap)
{
    auto cutsAnItem = [&](int x) {
        return std::any_of(spans.cbegin(), spans.cend(),
            [x](const QPair<int, int> &span) { return span.first < x && x < span.second; });
    };
    QVector<int> breaks { from };
    int start = from;
    while (to - start > page) {
        int cut = start + page;
        for (bool moved = true; moved;) {
            moved = false;
            for (const auto &span : spans) {
                if (span.first < cut && cut < span.second && span.second - span.first <= page
                    && span.first > start) {
                    cut = span.first;
                    moved = true;
                }
            }
        }
        if (cut < start + page) {
            for (int x = qMax(start + 1, cut - gap); x < cut; ++x) {
                if (!cutsAnItem(x)) {
                    cut = x;
                    break;
                }
            }
        }
        breaks << cut;
        start = cut;
    }
    breaks << to;
    return breaks;
}

// The page of a paged device in diagram pixels (96 per inch).
template <typename Device> QSizeF pageInDiagram(Device &device)
{
    const qreal toDevice = device.logicalDpiX() / 96.0;
    const QRect page = device.pageLayout().paintRectPixels(device.resolution());
    return QSizeF(page.width() / toDevice, page.height() / toDevice);
}
} // namespace

TSchemaDiagramExport::TSchemaDiagramExport(TSchemaDesignArea *Area)
    : FArea(Area)
{
}

QRect TSchemaDiagramExport::DiagramRect() const
{
    QRect extent;
    if (!FArea)
        return extent;
    for (int c = 0; c < FArea->ControlCount(); ++c) {
        QObject *control = FArea->Controls(c);
        if (auto *item = qobject_cast<TSchemaItem *>(control)) {
            if (!item->isHidden())
                extent |= item->geometry();
        } else if (auto *relation = qobject_cast<TSchemaRelation *>(control)) {
            if (relation->Visible())
                extent |= relation->BoundsRect();
        }
    }
    return extent.isEmpty() ? QRect() : extent.adjusted(-FMargin, -FMargin, FMargin, FMargin);
}

void TSchemaDiagramExport::Draw(QPainter &Painter) const
{
    const QRect rect = DiagramRect();
    if (rect.isEmpty())
        return;
    Painter.save();
    Painter.fillRect(QRect(QPoint(0, 0), rect.size()), FArea->CanvasColor());
    Painter.translate(-rect.topLeft());
    FArea->DrawCanvas(Painter);
    Painter.restore();
}

bool TSchemaDiagramExport::ExportPng(const QString &FileName, QString *Error) const
{
    const QRect rect = DiagramRect();
    if (rect.isEmpty())
        return fail(Error, tr("The diagram is empty."));
    QImage image(rect.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        Draw(painter);
    }
    if (!image.save(FileName, "PNG"))
        return fail(Error, tr("The picture could not be written to %1.").arg(FileName));
    return true;
}

bool TSchemaDiagramExport::ExportSvg(const QString &FileName, QString *Error) const
{
    const QRect rect = DiagramRect();
    if (rect.isEmpty())
        return fail(Error, tr("The diagram is empty."));
    QSvgGenerator svg;
    svg.setFileName(FileName);
    svg.setSize(rect.size());
    svg.setViewBox(QRect(QPoint(0, 0), rect.size()));
    svg.setTitle(QFileInfo(FileName).completeBaseName());
    QPainter painter;
    if (!painter.begin(&svg))
        return fail(Error, tr("The picture could not be written to %1.").arg(FileName));
    Draw(painter);
    painter.end();
    return true;
}

QVector<QRect> TSchemaDiagramExport::Tiles(const QSizeF &PageSize) const
{
    const QRect rect = DiagramRect();
    const int pageWidth = qMax(1, int(PageSize.width()));
    const int pageHeight = qMax(1, int(PageSize.height()));
    if (rect.isEmpty())
        return {};
    // What each page may show: the items' windows and where relations draw.
    QVector<QPair<int, int>> columns, rows;
    QVector<QRect> drawn;
    for (int c = 0; c < FArea->ControlCount(); ++c) {
        QObject *control = FArea->Controls(c);
        if (auto *item = qobject_cast<TSchemaItem *>(control)) {
            if (item->isHidden())
                continue;
            const QRect g = item->geometry();
            columns << qMakePair(g.left(), g.right() + 1);
            rows << qMakePair(g.top(), g.bottom() + 1);
            drawn << g;
        } else if (auto *relation = qobject_cast<TSchemaRelation *>(control)) {
            if (!relation->Visible())
                continue;
            for (const QRect &r : relation->PaintRects()) // in the relation's own coordinates
                drawn << r.translated(relation->BoundsRect().topLeft());
        }
    }
    const QVector<int> xs = pageBreaks(rect.left(), rect.right() + 1, pageWidth, columns, FMargin);
    const QVector<int> ys = pageBreaks(rect.top(), rect.bottom() + 1, pageHeight, rows, FMargin);
    QVector<QRect> tiles;
    for (int row = 0; row + 1 < ys.size(); ++row) {
        for (int col = 0; col + 1 < xs.size(); ++col) {
            const QRect tile(QPoint(xs[col], ys[row]), QPoint(xs[col + 1] - 1, ys[row + 1] - 1));
            if (std::any_of(drawn.cbegin(), drawn.cend(),
                    [&](const QRect &r) { return r.intersects(tile); }))
                tiles << tile;
        }
    }
    return tiles;
}

namespace {
// Turns a paged device's page to the orientation that suits the diagram better.
template <typename Device> void orient(const TSchemaDiagramExport &e, Device &device, bool tiled)
{
    const QRect rect = e.DiagramRect();
    auto cost = [&](QPageLayout::Orientation orientation) {
        device.setPageOrientation(orientation);
        const QSizeF page = pageInDiagram(device);
        // Fewer pages, or a larger picture on the one page.
        return tiled ? qreal(e.Tiles(page).size())
                     : -qMin(page.width() / rect.width(), page.height() / rect.height());
    };
    const qreal portrait = cost(QPageLayout::Portrait);
    if (cost(QPageLayout::Landscape) >= portrait)
        device.setPageOrientation(QPageLayout::Portrait);
}

// Lays the diagram out on the pages of a paged device (QPdfWriter or QPrinter), the canvas
// colour covering what lies beyond each tile.
template <typename Device>
bool paginate(const TSchemaDiagramExport &e, Device &device, bool tiled, const QColor &canvas)
{
    const QRect rect = e.DiagramRect();
    if (rect.isEmpty())
        return false;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // Diagram pixels are screen pixels (96 per inch); the page is in device pixels.
    const qreal toDevice = device.logicalDpiX() / 96.0;
    const QSizeF page = pageInDiagram(device);
    if (!tiled) {
        const qreal fit
            = qMin(1.0, qMin(page.width() / rect.width(), page.height() / rect.height()));
        painter.scale(toDevice * fit, toDevice * fit);
        e.Draw(painter);
        return painter.end();
    }
    const QVector<QRect> tiles = e.Tiles(page);
    for (int i = 0; i < tiles.size(); ++i) {
        if (i > 0)
            device.newPage();
        const QRect &tile = tiles[i];
        painter.save();
        painter.scale(toDevice, toDevice);
        painter.save();
        painter.translate(rect.topLeft() - tile.topLeft());
        e.Draw(painter);
        painter.restore();
        // Only this tile: what lies beyond it belongs to the next pages. (Covered, not clipped:
        // QWidget::render loses a window's own painting under a clip on a scaled painter.)
        painter.fillRect(QRectF(tile.width(), 0, page.width(), page.height()), canvas);
        painter.fillRect(QRectF(0, tile.height(), page.width(), page.height()), canvas);
        painter.restore();
    }
    return painter.end();
}
} // namespace

bool TSchemaDiagramExport::ExportPdf(const QString &FileName, bool Tiled, QString *Error) const
{
    if (DiagramRect().isEmpty())
        return fail(Error, tr("The diagram is empty."));
    QPdfWriter pdf(FileName);
    pdf.setResolution(300);
    pdf.setTitle(QFileInfo(FileName).completeBaseName());
    pdf.setCreator(QCoreApplication::applicationName());
    orient(*this, pdf, Tiled);
    if (!paginate(*this, pdf, Tiled, FArea->CanvasColor()))
        return fail(Error, tr("The document could not be written to %1.").arg(FileName));
    return true;
}

bool TSchemaDiagramExport::Print(QPrinter &Printer, bool Tiled) const
{
    return paginate(*this, Printer, Tiled, FArea->CanvasColor());
}

bool TSchemaDiagramExport::PrintPreview(QWidget *Parent, bool Tiled) const
{
    QPrinter printer(QPrinter::HighResolution);
    orient(*this, printer, Tiled); // the user may turn it in the preview
    QPrintPreviewDialog preview(&printer, Parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
        [this, Tiled](QPrinter *target) { Print(*target, Tiled); });
    return preview.exec() == QDialog::Accepted;
}

} // namespace Diduza
