// The window templates, pictures and style sheet built into the program.
#pragma once

namespace ui::qt {

// Registers the built-in resources; safe to call any number of times. The resources live in
// a static library, whose registration the linker would otherwise drop.
void EnsureResources();

}  // namespace ui::qt
