#include "ui/qt/image_list.h"
#include "ui/qt/resources.h"

#include <QBitmap>
#include <QFile>
#include <QImage>

namespace ui::qt {

namespace {

// The first existing file of a resource in the formats the program ships.
QString FindResource(const QString& folder, const QString& name) {
    for (const char* suffix : {".png", ".svg", ".bmp"}) {
        const QString path = ":/" + folder + "/" + name + suffix;
        if (QFile::exists(path)) {
            return path;
        }
    }
    return {};
}

}  // namespace

std::vector<QPixmap> LoadImageList(const QString& name, int width, int height) {
    EnsureResources();
    std::vector<QPixmap> cells;
    const QString path = FindResource("bitmaps", name);
    if (path.isEmpty() || width <= 0 || height <= 0) {
        return cells;
    }
    QPixmap strip(path);
    if (strip.isNull()) {
        return cells;
    }
    strip.setMask(strip.createMaskFromColor(QColor(0xFF, 0x00, 0xFF), Qt::MaskInColor));
    for (int x = 0; x + width <= strip.width(); x += width) {
        cells.push_back(strip.copy(x, 0, width, height));
    }
    return cells;
}

QIcon LoadIcon(const QString& name) {
    EnsureResources();
    const QString path = FindResource("icons", name);
    return path.isEmpty() ? QIcon() : QIcon(path);
}

}  // namespace ui::qt
