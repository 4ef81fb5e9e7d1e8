// Reads and drives another program's windows, found by exact title (or by class, given as
// class:NAME), for the end-to-end tests.
// Exit status 1 when the window is missing or the command fails, 2 on a usage error.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<HWND> WindowsTitled(const std::string& title, bool hiddenToo) {
    const bool byClass = title.rfind("class:", 0) == 0;
    const char* windowClass = byClass ? title.c_str() + 6 : nullptr;
    const char* windowTitle = byClass ? nullptr : title.c_str();
    std::vector<HWND> found;
    for (HWND window = nullptr;
         (window = FindWindowExA(nullptr, window, windowClass, windowTitle));) {
        if (hiddenToo || IsWindowVisible(window)) {
            found.push_back(window);
        }
    }
    return found;
}

// Asks rather than reads: another process's edit control keeps its text to itself.
BOOL CALLBACK PrintText(HWND window, LPARAM) {
    char text[1 << 16];
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &length);
    std::printf("%.*s\n", static_cast<int>(length), text);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs(
            "usage: window_probe count|text|title|exstyle|check|rect|state|focus|post|move TITLE "
            "[CONTROL-ID | MESSAGE WPARAM | X Y]\n",
            stderr);
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string command = argv[1];
    // A window's own title is read even while it is hidden.
    const std::vector<HWND> windows = WindowsTitled(argv[2], command == "title");
    const long argument = argc >= 4 ? std::strtol(argv[3], nullptr, 0) : -1;
    const bool withSecond = command == "post" || command == "move";
    if (windows.empty() && command != "count") {
        return 1;
    }
    const HWND window = windows.empty() ? nullptr : windows.front();
    const HWND target =
        argument >= 0 && !withSecond ? GetDlgItem(window, static_cast<int>(argument)) : window;
    RECT rect{};
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(target, nullptr), &thread);
    if (command == "count") {
        std::printf("%u\n", static_cast<unsigned>(windows.size()));
    } else if (command == "text" && argument < 0) {  // every control's, a line each
        EnumChildWindows(target, &PrintText, 0);
    } else if (command == "text") {
        PrintText(target, 0);
    } else if (command == "title") {
        PrintText(target, 0);
    } else if (command == "exstyle") {
        std::printf("%lx\n", static_cast<unsigned long>(GetWindowLongA(target, GWL_EXSTYLE)));
    } else if (command == "move" && argc == 5) {
        return SetWindowPos(target, nullptr, static_cast<int>(argument), std::atoi(argv[4]), 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    } else if (command == "check") {
        std::printf("%d\n", static_cast<int>(SendMessageA(target, BM_GETCHECK, 0, 0)));
    } else if (command == "rect" && GetWindowRect(target, &rect)) {
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top);
    } else if (command == "state") {  // minimised, in front, in a menu
        std::printf("%d %d %d\n", IsIconic(target), GetForegroundWindow() == target,
                    (thread.flags & GUI_INMENUMODE) != 0);
    } else if (command == "focus") {
        std::printf("%d\n", thread.hwndFocus ? GetDlgCtrlID(thread.hwndFocus) : 0);
    } else if (command != "post" || argc != 5 ||
               !PostMessageA(target, static_cast<UINT>(argument), std::strtoul(argv[4], nullptr, 0),
                             0)) {
        return 1;
    }
    return 0;
}
