#pragma once

#include "diagram/TSchemaSubItem.h"
#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace Diduza {

class TSchemaSubItem;

// The inner control of an icon item: one of the built-in 32 x 32 glyphs, centred and drawn
// transparent by the colour of its lower-left pixel.
class DIDUZAWIDGETS_EXPORT TSchemaIcon : public QWidget {
    Q_OBJECT
public:
    explicit TSchemaIcon(QWidget *parent = nullptr);
    ~TSchemaIcon() override;

    TSchemaSubItem *Data() const { return FData.data(); }
    void SetData(TSchemaSubItem *value) { FData = value; }

    TSCIconType IconType() const { return FIconType; }
    void SetIconType(TSCIconType Value);

    // The glyph as loaded (before transparency is applied).
    const QImage &Picture() const { return FPicture; }

    // The resource name of a glyph ("SIT_PRINTER") and its picture.
    static QString GlyphResourceName(TSCIconType type);
    static QImage LoadGlyph(TSCIconType type);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void loadGlyph();

    QPointer<TSchemaSubItem> FData;
    TSCIconType FIconType = itDefault;
    QImage FPicture;
    QImage FTransparentPicture;
};

} // namespace Diduza
