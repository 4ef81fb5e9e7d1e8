#pragma once

namespace wobbet::desktop {

// Whether see-through windows really are see-through: true unless the display is X11 without a
// compositing manager, where a translucent window would show a black box and a shape mask must
// cut the character out instead.
bool DisplayComposites();

}  // namespace wobbet::desktop
