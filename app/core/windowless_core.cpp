#include "app/core/windowless_core.h"

#include <utility>

namespace wobbet {

WindowlessCore::WindowlessCore(Shell& shell, std::string knowledgePath, const TextRules& textRules,
                               FileSystem& fileSystem, AutosaveDriver* autosave)
    : shell_(shell),
      core_(*this, std::move(knowledgePath), nullptr, textRules, fileSystem, autosave) {}

void WindowlessCore::Say(std::string text) {
    input_ = std::move(text);
    core_.Say();
}

void WindowlessCore::Teach(std::string phrase, std::string reply) {
    teachPair_ = {TeachDialogResult::kOk, std::move(phrase), std::move(reply)};
    core_.Teach();
}

TeachDialogResult WindowlessCore::RunTeachDialog() {
    // A pair answers one Teach; without one, the dialog counts as cancelled.
    return std::exchange(teachPair_, TeachDialogResult{});
}

}  // namespace wobbet
