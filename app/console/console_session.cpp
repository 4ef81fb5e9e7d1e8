#include "app/console/console_session.h"

namespace wobbet {
namespace {

constexpr std::string_view kGreeting =
    "Wobbet is listening: type a phrase and press Enter. /help lists the commands.";

constexpr std::string_view kHelp =
    "Type a phrase and press Enter to say it. Commands:\n"
    "  /teach        teach a reply: you are asked for the phrase, then for the reply\n"
    "  /context on   take the previous exchange into account (on at start)\n"
    "  /context off  answer each phrase on its own\n"
    "  /help         show this help\n"
    "  /quit         keep what was learned and leave (so do Ctrl+D and Ctrl+C)\n"
    "A line starting with // is said without its first /.";

}  // namespace

void ConsoleSession::Greet() {
    if (interactive_) {
        WriteLine(out_, kGreeting);
    }
}

void ConsoleSession::Run() {
    while (!inputEnded_) {
        Prompt(host_.ContextEnabled() ? "[context on] > " : "[context off] > ");
        const std::optional<std::string> line = reader_.NextLine();
        if (!line) {
            return;
        }
        if (line->starts_with("//")) {
            Say(line->substr(1));
        } else if (line->starts_with("/")) {
            if (!RunCommand(*line)) {
                return;
            }
        } else {
            Say(*line);
        }
    }
}

bool ConsoleSession::RunCommand(const std::string& line) {
    if (line == "/teach") {
        Teach();
    } else if (line == "/context on" || line == "/context off") {
        host_.SetContextEnabled(line == "/context on");
    } else if (line == "/help") {
        if (interactive_) {
            WriteLine(out_, kHelp);
        }
    } else if (line == "/quit") {
        return false;
    } else {
        WriteLine(out_, "!Unknown command: " + line);
    }
    return true;
}

void ConsoleSession::Say(std::string text) {
    host_.TypeInput(std::move(text));
    engine_.OnSay();
}

void ConsoleSession::Teach() {
    // The dialog's two boxes are the next two lines; input that ends first cancels it.
    Prompt("If you say this: ");
    std::optional<std::string> phrase = reader_.NextLine();
    if (phrase) {
        Prompt("I should say this: ");
    }
    std::optional<std::string> reply = phrase ? reader_.NextLine() : std::nullopt;
    if (!reply) {
        inputEnded_ = true;
        host_.FillTeachDialog({});
    } else {
        host_.FillTeachDialog({TeachDialogResult::kOk, std::move(*phrase), std::move(*reply)});
    }
    engine_.OnTeach();
}

void ConsoleSession::Prompt(std::string_view text) {
    if (interactive_) {
        out_ << text;
        out_.flush();
    }
}

}  // namespace wobbet
