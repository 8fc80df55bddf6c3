// Pictures built into the program: bitmaps cut into equal cells for lists and trees, and icons
// for windows and the tray, looked up by their resource names ("3280", "128" ...).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <vector>

namespace ui::qt {

// The cells of bitmap `name`, left to right, each `width` x `height`; magenta (0xFF00FF)
// becomes transparent. Empty when the bitmap does not exist.
std::vector<QPixmap> LoadImageList(const QString& name, int width, int height);
// Icon `name` from the program's resources; a null icon when it does not exist.
QIcon LoadIcon(const QString& name);

}  // namespace ui::qt
