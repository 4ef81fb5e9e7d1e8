#pragma once

#include <cstdint>
#include <string>

#include "app/core/program_core.h"
#include "app/core/shell.h"
#include "app/core/shell_window.h"
#include "storage/file_system.h"

namespace wobbet {

// The program core for a shell without a window, such as a terminal or a pipe: the shell hands
// each turn its text, where a window's turn reads its input box and its Teach dialog, and the
// Context state is kept here, where a window keeps it in its checkbox. There is no character.
class WindowlessCore final : private ShellWindow {
public:
    // The shell, the text rules and the autosave's driver must outlive the core; see ProgramCore
    // for what each brings.
    WindowlessCore(Shell& shell, std::string knowledgePath, const TextRules& textRules,
                   FileSystem& fileSystem = NativeFileSystem(), AutosaveDriver* autosave = nullptr);

    WindowlessCore(const WindowlessCore&) = delete;
    WindowlessCore& operator=(const WindowlessCore&) = delete;

    // Start-up: the built-in records, then the knowledge file; Context is on. False when another
    // program holds the knowledge file: the program is then to end with status 1.
    bool Start(std::uint32_t seed) { return core_.Start(seed, {}); }

    // A Say turn on the text exactly as the user gave it.
    void Say(std::string text);
    // A Teach turn on the pair, as a Teach dialog closed with OK gives it: an empty reply is
    // answered with an instruction and teaches nothing.
    void Teach(std::string phrase, std::string reply);

    bool ContextEnabled() override { return contextEnabled_; }
    void SetContextEnabled(bool enabled) override { contextEnabled_ = enabled; }

    // The other commands, the knowledge file and shutdown.
    ProgramCore& Core() { return core_; }

private:
    std::string ReadInput() override { return input_; }
    void ClearInput() override { input_.clear(); }
    TeachDialogResult RunTeachDialog() override;
    void ShowReply(const std::string& text) override { shell_.ShowReply(text); }
    void ShowMessage(const std::string& text) override { shell_.ShowMessage(text); }
    void ShowAnimation(const std::string& name) override { shell_.ShowAnimation(name); }
    void ShowNotice(const std::string& text) override { shell_.ShowNotice(text); }
    void KnowledgeChanged() override { shell_.KnowledgeChanged(); }

    Shell& shell_;
    std::string input_;
    bool contextEnabled_ = true;
    TeachDialogResult teachPair_;
    // Last, as it is built over the members above.
    ProgramCore core_;
};

}  // namespace wobbet
