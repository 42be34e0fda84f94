#pragma once

#include "diagram/TSchemaSubItem.h"
#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace Diduza {

class TSchemaIconPrivate;
class TSchemaSubItem;

/// The inner control of an icon item: one of the built-in 32 x 32 glyphs, centred and drawn
/// transparent by the colour of its lower-left pixel.
class DIDUZAWIDGETS_EXPORT TSchemaIcon : public QWidget {
    Q_OBJECT
public:
    /// An icon control showing the default glyph.
    explicit TSchemaIcon(QWidget *AOwner = nullptr);
    ~TSchemaIcon() override;

    /// The item's single row (not owned).
    TSchemaSubItem *Data() const;
    /// Sets Data.
    void SetData(TSchemaSubItem *Value);

    /// Which of the built-in glyphs is shown.
    TSCIconType IconType() const;
    /// Sets IconType.
    void SetIconType(TSCIconType Value);

    /// The glyph as loaded (before transparency is applied).
    const QImage &Picture() const;

    /// The resource name of a glyph ("SIT_PRINTER") and its picture.
    static QString GlyphResourceName(TSCIconType type);
    /// The picture of the glyph of type, as loaded.
    static QImage LoadGlyph(TSCIconType type);

protected:
    /// Draws the glyph centred, transparent by its lower-left pixel.
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<TSchemaIconPrivate> d; ///< The private state.
};

} // namespace Diduza
