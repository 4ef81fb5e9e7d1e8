#pragma once

namespace wobbet {

// Where the minimised main window draws its icon along one axis: centred, rounding half a pixel
// up, and truncating toward zero when the icon is the larger.
constexpr int CenteredIconOffset(int clientExtent, int iconExtent) {
    return (clientExtent - iconExtent + 1) / 2;
}

}  // namespace wobbet
