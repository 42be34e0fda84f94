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
    explicit TImageList(int width = 16, int height = 16, QObject *owner = nullptr);
    ~TImageList() override;

    int Count() const { return int(FImages.size()); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    /// Adds an image, scaled to the list's size when it differs; returns its index.
    int Add(const QPixmap &image);
    /// Adds an image whose pixels of colour transparent are made see-through.
    int AddMasked(const QImage &image, TColor transparent);
    void Clear();
    QPixmap Image(int index) const;

    /// Draws image index with its top-left corner at (x, y); disabled images are drawn grey.
    /// An index outside the list draws nothing.
    void Draw(QPainter &painter, int x, int y, int index, bool enabled = true) const;

private:
    int FWidth;
    int FHeight;
    QVector<QPixmap> FImages;
};

} // namespace Diduza
