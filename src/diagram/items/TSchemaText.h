#pragma once

#include "diagram/TSchemaSubItem.h"
#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"
#include "platform/TColor.h"

#include <QWidget>

#include <memory>

namespace Diduza {

class TSchemaSubItem;
class TSchemaTextPrivate;

/// The inner control of a text item: a label that draws its text inside an outline shape.
class DIDUZAWIDGETS_EXPORT TSchemaText : public QWidget {
    Q_OBJECT
public:
    /// Where the text stands vertically.
    enum TTextLayout { tlTop, tlCenter, tlBottom };

    /// A text control without outline.
    explicit TSchemaText(QWidget *AOwner = nullptr);
    ~TSchemaText() override;

    /// The item's single row (not owned).
    TSchemaSubItem *Data() const;
    /// Sets Data.
    void SetData(TSchemaSubItem *Value);

    /// The outline drawn around the text.
    TSchemaShapeKind ShapeKind() const;
    /// Sets ShapeKind.
    void SetShapeKind(TSchemaShapeKind Value);

    /// The text; a carriage return breaks the line.
    QString Caption() const;
    /// Sets Caption.
    void SetCaption(const QString &Value);
    /// True when long lines wrap at the control's width.
    bool WordWrap() const;
    /// Sets WordWrap.
    void SetWordWrap(bool Value);
    /// The horizontal alignment of the text.
    Qt::Alignment Alignment() const;
    /// Sets Alignment.
    void SetAlignment(Qt::Alignment Value);
    /// The vertical place of the text.
    TTextLayout Layout() const;
    /// Sets Layout.
    void SetLayout(TTextLayout Value);
    /// True when "&" marks the next letter as an accelerator.
    bool ShowAccelChar() const;
    /// Sets ShowAccelChar.
    void SetShowAccelChar(bool Value);
    /// True when the background is not painted.
    bool Transparent() const;
    /// Sets Transparent.
    void SetTransparent(bool Value);
    /// The background colour.
    TColor Color() const;
    /// Sets Color.
    void SetColor(TColor Value);
    /// The colour of the text.
    TColor FontColor() const;
    /// Sets FontColor.
    void SetFontColor(TColor Value);

    /// The extent of the text drawn with the label's flags within the given width.
    QSize MeasureText(int width) const;

protected:
    /// Draws the outline and the text.
    void paintEvent(QPaintEvent *event) override;
    /// Draws the outline and the text, as paintEvent does.
    void Paint(QPainter &painter);

private:
    std::unique_ptr<TSchemaTextPrivate> d; ///< The private state.
};

} // namespace Diduza
