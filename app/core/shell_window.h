#pragma once

#include <string>

#include "engine/conversation_host.h"

namespace wobbet {

// The window's half of what a conversation needs: its controls, its message box and its Teach
// dialog. Each program's shell supplies one; ProgramCore adds the character.
class ShellWindow {
public:
    virtual ~ShellWindow() = default;

    virtual std::string ReadInput() = 0;
    // Empties the input box and gives it the keyboard focus.
    virtual void ClearInput() = 0;
    virtual bool ContextEnabled() = 0;
    virtual void SetContextEnabled(bool enabled) = 0;
    virtual void ShowReply(const std::string& text) = 0;
    // A modal message box with an OK button and an exclamation icon.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual TeachDialogResult RunTeachDialog() = 0;
    // The character was asked to play an animation. Windows leave it to the character; a program
    // without one may show the request its own way.
    virtual void ShowAnimation(const std::string& /*name*/) {}
    // What a command the user gave did: what was forgotten, what a merge found. A message box
    // unless the window has a better place for it.
    virtual void ShowNotice(const std::string& text) { ShowMessage(text); }
    // The learned records changed: a lesson, a forget, an edit, a delete or a merge.
    virtual void KnowledgeChanged() {}
};

}  // namespace wobbet
