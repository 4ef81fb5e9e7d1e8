#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/core/autosave.h"
#include "app/posix/line_reader.h"

namespace wobbet {

// The autosave of a program that reads its input a line at a time: its delay is the wait for
// the next line, so a pause in the input saves what was learned, and input that never pauses
// saves at its end. Its saves run at once, between two lines.
class LineWaitAutosave final : public AutosaveDriver {
public:
    // The reader must outlive this.
    explicit LineWaitAutosave(LineReader& reader) : reader_(reader) {}

    // The reader's next line; a delay that passes while it waits lets the autosave run first.
    std::optional<std::string> NextLine();

    void StartDelay(std::chrono::milliseconds delay, std::function<void()> elapsed) override;
    void CancelDelay() override { elapsed_ = {}; }
    void StartSave(std::function<std::string()> save,
                   std::function<void(std::string)> finished) override {
        finished(save());
    }
    bool SavesAtOnce() const override { return true; }
    std::optional<std::string> WaitForSave() override { return std::nullopt; }

private:
    LineReader& reader_;
    std::chrono::milliseconds delay_{};
    std::function<void()> elapsed_;
};

}  // namespace wobbet
