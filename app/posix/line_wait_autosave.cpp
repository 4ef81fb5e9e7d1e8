#include "app/posix/line_wait_autosave.h"

#include <utility>

namespace wobbet {

std::optional<std::string> LineWaitAutosave::NextLine() {
    if (elapsed_ && !reader_.WaitForInput(static_cast<int>(delay_.count()))) {
        std::exchange(elapsed_, {})();
    }
    return reader_.NextLine();
}

void LineWaitAutosave::StartDelay(std::chrono::milliseconds delay, std::function<void()> elapsed) {
    delay_ = delay;
    elapsed_ = std::move(elapsed);
}

}  // namespace wobbet
