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

// The inner control of a text item: a label that draws its text inside an outline shape.
class DIDUZAWIDGETS_EXPORT TSchemaText : public QWidget {
    Q_OBJECT
public:
    enum TTextLayout { tlTop, tlCenter, tlBottom };

    explicit TSchemaText(QWidget *parent = nullptr);
    ~TSchemaText() override;

    // The item's single row (not owned).
    TSchemaSubItem *Data() const { return FData.data(); }
    void SetData(TSchemaSubItem *value) { FData = value; }

    TSchemaShapeKind ShapeKind() const { return FShapeKind; }
    void SetShapeKind(TSchemaShapeKind Value);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString &value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    Qt::Alignment Alignment() const { return FAlignment; }
    void SetAlignment(Qt::Alignment value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor value);

    // The extent of the text drawn with the label's flags within the given width.
    QSize MeasureText(int width) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    // Draws the outline and the text, as paintEvent does.
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
