#include "agent/com/ansi_bstr.h"

#include <algorithm>
#include <climits>

namespace wobbet::com {

AnsiBstr::AnsiBstr(const std::string& text) {
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX / 2));
    const int wideLength =
        length == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    value_ = SysAllocStringLen(nullptr, static_cast<UINT>(wideLength));
    if (value_ != nullptr && wideLength > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, value_, wideLength);
    }
}

}  // namespace wobbet::com
