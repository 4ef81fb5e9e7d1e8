#pragma once

#include <string>

#include "app/core/shell.h"
#include "engine/conversation_host.h"

namespace wobbet {

// A shell with a window: besides showing what the core tells it, it lends the core its input box,
// its Context checkbox and its Teach dialog, which the turns read when the user presses Say or
// Teach....
class ShellWindow : public Shell {
public:
    // The input box's whole text, exactly as typed; Say reads it once, at the start of its turn.
    virtual std::string ReadInput() = 0;
    // Empties the input box and gives it the keyboard focus.
    virtual void ClearInput() = 0;
    // The Context checkbox: ticked at start, cleared by a Teach that stores a pair.
    virtual bool ContextEnabled() = 0;
    virtual void SetContextEnabled(bool enabled) = 0;
    // Runs the Teach dialog until the user closes it: how it ended and the two texts as typed.
    // A result of TeachDialogResult::kCancel, the default, changes nothing.
    virtual TeachDialogResult RunTeachDialog() = 0;
};

}  // namespace wobbet
