#include "diagram/TSchemaDiagramExport.h"

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

template <typename Device> bool TSchemaDiagramExport::paginate(Device &device, bool tiled) const
{
    const QRect rect = DiagramRect();
    if (rect.isEmpty())
        return false;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // Diagram pixels are screen pixels (96 per inch); the page is in device pixels.
    const qreal toDevice = device.logicalDpiX() / 96.0;
    const QRect page = device.pageLayout().paintRectPixels(device.resolution());
    const QSizeF pageInDiagram(page.width() / toDevice, page.height() / toDevice);
    if (!tiled) {
        const qreal fit = qMin(1.0,
            qMin(pageInDiagram.width() / rect.width(), pageInDiagram.height() / rect.height()));
        painter.scale(toDevice * fit, toDevice * fit);
        Draw(painter);
        return painter.end();
    }
    const int columns = qMax(1, int(std::ceil(rect.width() / pageInDiagram.width())));
    const int rows = qMax(1, int(std::ceil(rect.height() / pageInDiagram.height())));
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < columns; ++col) {
            if (row || col)
                device.newPage();
            painter.save();
            painter.scale(toDevice, toDevice);
            painter.translate(-col * pageInDiagram.width(), -row * pageInDiagram.height());
            Draw(painter);
            painter.restore();
        }
    }
    return painter.end();
}

bool TSchemaDiagramExport::ExportPdf(const QString &FileName, bool Tiled, QString *Error) const
{
    if (DiagramRect().isEmpty())
        return fail(Error, tr("The diagram is empty."));
    QPdfWriter pdf(FileName);
    pdf.setResolution(300);
    pdf.setTitle(QFileInfo(FileName).completeBaseName());
    pdf.setCreator(QCoreApplication::applicationName());
    if (!paginate(pdf, Tiled))
        return fail(Error, tr("The document could not be written to %1.").arg(FileName));
    return true;
}

bool TSchemaDiagramExport::Print(QPrinter &Printer, bool Tiled) const
{
    return paginate(Printer, Tiled);
}

bool TSchemaDiagramExport::PrintPreview(QWidget *Parent, bool Tiled) const
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, Parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
        [this, Tiled](QPrinter *target) { Print(*target, Tiled); });
    return preview.exec() == QDialog::Accepted;
}

} // namespace Diduza
