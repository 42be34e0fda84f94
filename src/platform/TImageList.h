#pragma once

#include "diduzawidgets_export.h"
#include "platform/TColor.h"

#include <QObject>
#include <QPixmap>
#include <QVector>

class QPainter;

namespace Diduza {

/// A list of images of one fixed size.
class DIDUZAWIDGETS_EXPORT TImageList : public QObject {
    Q_OBJECT
public:
    /// An empty list of images of width x height pixels, owned by AOwner (may be null).
    explicit TImageList(int width = 16, int height = 16, QObject *AOwner = nullptr);
    ~TImageList() override; ///< Frees the images.

    /// The number of images.
    int Count() const { return int(FImages.size()); }
    /// The images' width and height in pixels, fixed at construction.
    int Width() const { return FWidth; }
    /// See Width.
    int Height() const { return FHeight; }

    /// Adds an image, scaled to the list's size when it differs; returns its index.
    int Add(const QPixmap &image);
    /// Adds an image whose pixels of colour transparent are made see-through.
    int AddMasked(const QImage &image, TColor transparent);
    /// Removes all images.
    void Clear();
    /// Image index, or a null pixmap when index is outside the list.
    QPixmap Image(int index) const;

    /// Draws image index with its top-left corner at (x, y); disabled images are drawn grey.
    /// An index outside the list draws nothing.
    void Draw(QPainter &painter, int x, int y, int index, bool enabled = true) const;

private:
    /// See Width.
    int FWidth;
    /// See Height.
    int FHeight;
    /// The images, in index order.
    QVector<QPixmap> FImages;
};

} // namespace Diduza
