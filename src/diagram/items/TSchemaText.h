#pragma once

#include "diagram/TSchemaSubItem.h"
#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"
#include "platform/TColor.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace Diduza {

class TSchemaSubItem;

/// The inner control of a text item: a label that draws its text inside an outline shape.
class DIDUZAWIDGETS_EXPORT TSchemaText : public QWidget {
    Q_OBJECT
public:
    /// Where the text stands vertically.
    enum TTextLayout { tlTop, tlCenter, tlBottom };

    /// A text control without outline.
    explicit TSchemaText(QWidget *parent = nullptr);
    ~TSchemaText() override;

    /// The item's single row (not owned).
    TSchemaSubItem *Data() const { return FData.data(); }
    /// Sets Data.
    void SetData(TSchemaSubItem *value) { FData = value; }

    /// The outline drawn around the text.
    TSchemaShapeKind ShapeKind() const { return FShapeKind; }
    /// Sets ShapeKind.
    void SetShapeKind(TSchemaShapeKind Value);

    /// The text; a carriage return breaks the line.
    QString Caption() const { return FCaption; }
    /// Sets Caption.
    void SetCaption(const QString &value);
    /// True when long lines wrap at the control's width.
    bool WordWrap() const { return FWordWrap; }
    /// Sets WordWrap.
    void SetWordWrap(bool value);
    /// The horizontal alignment of the text.
    Qt::Alignment Alignment() const { return FAlignment; }
    /// Sets Alignment.
    void SetAlignment(Qt::Alignment value);
    /// The vertical place of the text.
    TTextLayout Layout() const { return FLayout; }
    /// Sets Layout.
    void SetLayout(TTextLayout value);
    /// True when "&" marks the next letter as an accelerator.
    bool ShowAccelChar() const { return FShowAccelChar; }
    /// Sets ShowAccelChar.
    void SetShowAccelChar(bool value);
    /// True when the background is not painted.
    bool Transparent() const { return FTransparent; }
    /// Sets Transparent.
    void SetTransparent(bool value);
    /// The background colour.
    TColor Color() const { return FColor; }
    /// Sets Color.
    void SetColor(TColor value);
    /// The colour of the text.
    TColor FontColor() const { return FFontColor; }
    /// Sets FontColor.
    void SetFontColor(TColor value);

    /// The extent of the text drawn with the label's flags within the given width.
    QSize MeasureText(int width) const;

protected:
    /// Draws the outline and the text.
    void paintEvent(QPaintEvent *event) override;
    /// Draws the outline and the text, as paintEvent does.
    void Paint(QPainter &painter);

private:
    int textFlags() const;
    QString displayText(bool measuring) const;

    QPointer<TSchemaSubItem> FData;
    TSchemaShapeKind FShapeKind = skRectangle;
    QString FCaption;
    bool FWordWrap = true;
    Qt::Alignment FAlignment = Qt::AlignLeft;
    TTextLayout FLayout = tlTop;
    bool FShowAccelChar = true;
    bool FTransparent = false;
    TColor FColor = clBtnFace;
    TColor FFontColor = clWindowText;
};

} // namespace Diduza
