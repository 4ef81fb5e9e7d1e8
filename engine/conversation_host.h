#pragma once

#include <string>

namespace wobbet {

// What the Teach dialog gives back: how it ended and the two texts exactly as typed.
struct TeachDialogResult {
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    int result = kCancel;
    std::string phrase;  // "If you say this:"
    std::string reply;   // "I should say this:"
};

// Everything a conversation turn needs from outside the engine: the window's controls, the
// character and the message box. The window supplies one half and the character link the other.
class ConversationHost {
public:
    virtual ~ConversationHost() = default;

    virtual std::string ReadInput() = 0;
    // Empties the input box and gives it the keyboard focus.
    virtual void ClearInput() = 0;
    virtual bool ContextEnabled() = 0;
    virtual void SetContextEnabled(bool enabled) = 0;
    // The character speaks the text when it can; the text then goes to ShowReply in every case.
    virtual void Display(const std::string& text) = 0;
    virtual void ShowReply(const std::string& text) = 0;
    virtual void PlayAnimation(const std::string& name) = 0;
    // Shows the character if it is hidden, else cuts its current speech short.
    virtual void PrepareCharacter() = 0;
    // A modal message box with an OK button and an exclamation icon.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual TeachDialogResult RunTeachDialog() = 0;
};

}  // namespace wobbet
