#pragma once

#include "diduzawidgets_export.h"

#include <QRect>
#include <QString>
#include <QVector>

class QPainter;
class QPrinter;
class QWidget;

namespace Diduza {

class TSchemaDesignArea;

/// Pictures of a whole diagram, not only the part the area shows: PNG, SVG, PDF (one page scaled
/// to fit, or tiled pages at full size) and the printer with its preview. Everything is drawn
/// through TSchemaDesignArea::DrawCanvas, shifted so that the diagram's top-left corner (less a
/// margin) is the picture's origin.
class DIDUZAWIDGETS_EXPORT TSchemaDiagramExport {
public:
    /// An exporter of Area's diagram, with a margin of 10 pixels.
    explicit TSchemaDiagramExport(TSchemaDesignArea *Area);

    /// The diagram's extent in the area's client coordinates: every visible item and relation,
    /// with Margin pixels around; empty for an area without either.
    QRect DiagramRect() const;
    /// The pixels of canvas left around the diagram.
    int Margin() const { return FMargin; }
    /// Sets the pixels of canvas left around the diagram.
    void SetMargin(int Value) { FMargin = Value; }

    /// Writes the diagram to FileName as a PNG picture and returns true, or returns false with
    /// the reason in *Error (an empty diagram, or the file could not be written).
    bool ExportPng(const QString &FileName, QString *Error = nullptr) const;
    /// Writes the diagram to FileName as an SVG picture titled by the file's base name and
    /// returns true, or returns false with the reason in *Error.
    bool ExportSvg(const QString &FileName, QString *Error = nullptr) const;
    /// Writes the diagram to FileName as a PDF document at 300 dpi and returns true, or returns
    /// false with the reason in *Error. Tiled: pages at full size as Tiles lays them out;
    /// otherwise one page with the diagram scaled down to fit (never up). The page is turned to
    /// landscape where that takes fewer pages (tiled) or a larger picture (one page).
    bool ExportPdf(const QString &FileName, bool Tiled = false, QString *Error = nullptr) const;
    /// Prints on Printer, in its own orientation, paged as ExportPdf pages; false for an empty
    /// diagram or when the printer could not be painted on.
    bool Print(QPrinter &Printer, bool Tiled = false) const;
    /// Opens Qt's print preview dialog for the diagram, its page turned as ExportPdf turns it;
    /// true when the user printed.
    bool PrintPreview(QWidget *Parent = nullptr, bool Tiled = false) const;

    /// Draws the diagram on its canvas colour with its top-left corner at the painter's origin
    /// (nothing for an empty diagram).
    void Draw(QPainter &Painter) const;

    /// The parts of DiagramRect (in the area's client coordinates) that tiled pages of PageSize
    /// diagram pixels show, left to right then top to bottom. Pages break between items: a cut
    /// that would go through an item moves back to before it, unless the item is larger than a
    /// page or overlaps the item before it on the page. A page that would show nothing is left
    /// out.
    QVector<QRect> Tiles(const QSizeF &PageSize) const;

private:
    TSchemaDesignArea *FArea; ///< the area exported (not owned)
    int FMargin = 10; ///< See Margin.
};

} // namespace Diduza
