#include "app/console/console_shell.h"

namespace wobbet {

void WriteLine(std::ostream& out, std::string_view text) {
    out << text << '\n';
    out.flush();
}

void ConsoleShell::ShowReply(const std::string& text) {
    WriteLine(out_, text);
}

void ConsoleShell::ShowAnimation(const std::string& name) {
    if (trace_) {
        WriteLine(out_, "*" + name + "*");
    }
}

void ConsoleShell::ShowMessage(const std::string& text) {
    if (trace_) {
        WriteLine(out_, "!" + text);
    } else {
        WriteLine(errors_, text);
    }
}

}  // namespace wobbet
