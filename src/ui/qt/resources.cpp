#include "ui/qt/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE may not stand inside a namespace.
static void RegisterBuiltInResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ui::qt {

void EnsureResources() {
    static const bool registered = (RegisterBuiltInResources(), true);
    (void)registered;
}

}  // namespace ui::qt
