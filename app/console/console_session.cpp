#include "app/console/console_session.h"

#include <utility>

#include "app/import/conversation_file.h"

namespace wobbet {
namespace {

constexpr std::string_view kGreeting =
    "Wobbet is listening: type a phrase and press Enter. /help lists the commands.";

constexpr std::string_view kHelp =
    "Type a phrase and press Enter to say it. Commands:\n"
    "  /teach        teach a reply: you are asked for the phrase, then for the reply\n"
    "  /context on   take the previous exchange into account (on at start)\n"
    "  /context off  answer each phrase on its own\n"
    "  /undo         forget the last reply learned in this session (again: the one before)\n"
    "  /learn off    stop learning from what you say (/teach still teaches)\n"
    "  /learn on     learn again (on at start)\n"
    "  /merge FILE   add the records of another knowledge file that are new here\n"
    "  /import FILE  learn the replies in a transcript (a line each, a blank line between\n"
    "                conversations) or a YAML conversation corpus (.yml, .yaml)\n"
    "  /help         show this help\n"
    "  /quit         keep what was learned and leave (so do Ctrl+D and Ctrl+C)\n"
    "A line starting with // is said without its first /.";

// The rest of the line is the path, spaces and all.
constexpr std::string_view kMergeCommand = "/merge ";
constexpr std::string_view kImportCommand = "/import ";

}  // namespace

int ConsoleSession::Run(std::uint32_t seed) {
    if (!core_.Start(seed)) {
        return 1;
    }
    if (interactive_) {
        WriteLine(out_, kGreeting);
    }
    for (;;) {
        const std::optional<std::string> line =
            ReadLine(core_.ContextEnabled() ? "[context on] > " : "[context off] > ");
        if (!line) {
            break;
        }
        if (line->starts_with("//")) {
            core_.Say(line->substr(1));
        } else if (line->starts_with("/")) {
            if (!RunCommand(*line)) {
                break;
            }
        } else {
            core_.Say(*line);
        }
    }
    core_.Core().Shutdown();
    return 0;
}

bool ConsoleSession::RunCommand(const std::string& line) {
    if (line == "/teach") {
        return Teach();
    }
    if (line == "/quit") {
        return false;
    }
    if (line == "/context on" || line == "/context off") {
        core_.SetContextEnabled(line == "/context on");
    } else if (line == "/learn on" || line == "/learn off") {
        core_.Core().SetLearningEnabled(line == "/learn on");
    } else if (line == "/undo") {
        core_.Core().ForgetLastLesson();
    } else if (line.starts_with(kMergeCommand) && line.size() > kMergeCommand.size()) {
        core_.Core().MergeKnowledgeFile(line.substr(kMergeCommand.size()));
    } else if (line.starts_with(kImportCommand) && line.size() > kImportCommand.size()) {
        core_.Core().ImportConversations(
            ReadConversationFile(line.substr(kImportCommand.size()), core_.Core().Engine()));
    } else if (line == "/help") {
        if (interactive_) {
            WriteLine(out_, kHelp);
        }
    } else {
        shell_.ShowMessage("Unknown command: " + line);
    }
    return true;
}

bool ConsoleSession::Teach() {
    // The phrase and the reply are the next two lines; input that ends first teaches nothing.
    std::optional<std::string> phrase = ReadLine("If you say this: ");
    std::optional<std::string> reply = phrase ? ReadLine("I should say this: ") : std::nullopt;
    if (!reply) {
        return false;
    }
    core_.Teach(std::move(*phrase), std::move(*reply));
    return true;
}

std::optional<std::string> ConsoleSession::ReadLine(std::string_view prompt) {
    Prompt(prompt);
    std::optional<std::string> line = autosave_.NextLine();
    if (!line) {
        // Ctrl+D or Ctrl+C leave the cursor after the prompt; the shell's starts afresh.
        Prompt("\n");
    }
    return line;
}

void ConsoleSession::Prompt(std::string_view text) {
    if (interactive_) {
        out_ << text;
        out_.flush();
    }
}

}  // namespace wobbet
