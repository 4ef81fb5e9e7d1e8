#pragma once

#include <string>

namespace wobbet {

// Where the program core's output goes; every shell supplies one. A shell with a window supplies
// a ShellWindow, which adds the window's input box, Context checkbox and Teach dialog; a shell
// without one hands its text to a WindowlessCore instead.
class Shell {
public:
    virtual ~Shell() = default;

    // The answer to a turn, or an instruction like "Type something for my response."; it
    // replaces the one shown before.
    virtual void ShowReply(const std::string& text) = 0;
    // An error or a refusal the user must not miss: a knowledge file that could not be read or
    // written, an edit that was refused. A window shows a message box and returns once the user
    // has dismissed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // The character was asked to play an animation: "Greet", "Acknowledge", "Pleased" or "Sad".
    // Windows leave it to the character; a program without one may show the request its own way.
    virtual void ShowAnimation(const std::string& /*name*/) {}
    // What a command the user gave did: what was forgotten, what a merge found. Shown as a
    // message unless the shell has a better place for it.
    virtual void ShowNotice(const std::string& text) { ShowMessage(text); }
    // The learned records changed: a lesson, a forget, an edit, a delete or a merge.
    virtual void KnowledgeChanged() {}
};

}  // namespace wobbet
