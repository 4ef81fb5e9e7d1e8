#include "app/console/console_host.h"

namespace wobbet {

void WriteLine(std::ostream& out, std::string_view text) {
    out << text << '\n';
    out.flush();
}

void ConsoleHost::ShowReply(const std::string& text) {
    WriteLine(out_, text);
}

void ConsoleHost::ShowAnimation(const std::string& name) {
    if (trace_) {
        WriteLine(out_, "*" + name + "*");
    }
}

void ConsoleHost::ShowMessage(const std::string& text) {
    if (trace_) {
        WriteLine(out_, "!" + text);
    } else {
        WriteLine(errors_, text);
    }
}

}  // namespace wobbet
