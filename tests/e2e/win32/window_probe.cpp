// Reads and drives another program's windows for the end-to-end tests: window_probe COMMAND ...
// Windows are found by their exact title. Exit status 0 on success, 1 when the window or
// control is missing or a wait times out, 2 on a usage error. Output is written unchanged
// (no CR LF translation).
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kSendTimeoutMilliseconds = 2000;

struct TitleSearch {
    const char* title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectByTitle(HWND window, LPARAM search) {
    auto* titleSearch = reinterpret_cast<TitleSearch*>(search);
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    if (IsWindowVisible(window) && std::string(text) == titleSearch->title) {
        titleSearch->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> WindowsTitled(const char* title) {
    TitleSearch search{title, {}};
    EnumWindows(&CollectByTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WindowTitled(const char* title) {
    const std::vector<HWND> windows = WindowsTitled(title);
    return windows.empty() ? nullptr : windows.front();
}

// The window, or with an id, its child control with that id.
HWND Target(const char* title, const char* id) {
    const HWND window = WindowTitled(title);
    if (window == nullptr || id == nullptr) {
        return window;
    }
    return GetDlgItem(window, static_cast<int>(std::strtol(id, nullptr, 0)));
}

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string TextOf(HWND window) {
    std::vector<char> buffer(1 << 16);
    DWORD_PTR length = 0;
    if (SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(),
                            reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                            kSendTimeoutMilliseconds, &length) == 0) {
        return {};
    }
    return std::string(buffer.data(), length);
}

bool WaitFor(const char* title, bool present, DWORD timeoutMilliseconds) {
    const DWORD start = GetTickCount();
    while ((WindowTitled(title) != nullptr) != present) {
        if (GetTickCount() - start > timeoutMilliseconds) {
            return false;
        }
        Sleep(50);
    }
    return true;
}

// The full path of a library loaded by the process that owns the window; empty when none.
std::string LoadedModulePath(HWND window, const char* moduleName) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr) {
        return {};
    }
    std::string path;
    HMODULE modules[512];
    DWORD needed = 0;
    if (EnumProcessModules(process, modules, sizeof modules, &needed)) {
        const DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), 512);
        for (DWORD i = 0; i < count && path.empty(); ++i) {
            char name[MAX_PATH] = {};
            GetModuleBaseNameA(process, modules[i], name, sizeof name);
            if (lstrcmpiA(name, moduleName) == 0) {
                char fullPath[MAX_PATH] = {};
                GetModuleFileNameExA(process, modules[i], fullPath, sizeof fullPath);
                path = fullPath;
            }
        }
    }
    CloseHandle(process);
    return path;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    char line[128];
    std::snprintf(line, sizeof line, "%d\t%s\t", GetDlgCtrlID(child), className);
    Print(line + TextOf(child) + "\n");
    return TRUE;
}

int Usage() {
    std::fputs(
        "usage: window_probe wait|wait-gone TITLE [MILLISECONDS]\n"
        "       window_probe count|iconic|close|foreground-is|controls TITLE\n"
        "       window_probe text|check|center|rect TITLE [ID]\n"
        "       window_probe focus TITLE\n"
        "       window_probe syscommand TITLE COMMAND\n"
        "       window_probe ask TITLE MESSAGE-NAME WPARAM LPARAM\n"
        "       window_probe module TITLE LIBRARY\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 3) {
        return Usage();
    }
    const std::string command = argv[1];
    const char* title = argv[2];
    const char* id = argc > 3 ? argv[3] : nullptr;

    if (command == "wait" || command == "wait-gone") {
        const DWORD timeout = id != nullptr ? std::strtoul(id, nullptr, 0) : 10000;
        return WaitFor(title, command == "wait", timeout) ? 0 : 1;
    }
    if (command == "count") {
        Print(std::to_string(WindowsTitled(title).size()) + "\n");
        return 0;
    }

    const bool idIsControl = command != "syscommand" && command != "ask" && command != "module";
    const HWND target = Target(title, idIsControl ? id : nullptr);
    if (target == nullptr) {
        std::fprintf(stderr, "window_probe: no window \"%s\"%s%s\n", title, id ? " control " : "",
                     id ? id : "");
        return 1;
    }
    if (command == "text") {
        Print(TextOf(target));
    } else if (command == "check") {
        Print(std::to_string(SendMessageA(target, BM_GETCHECK, 0, 0)) + "\n");
    } else if (command == "center" || command == "rect") {
        RECT rect{};
        GetWindowRect(target, &rect);
        char line[64];
        if (command == "center") {
            std::snprintf(line, sizeof line, "%ld %ld\n", (rect.left + rect.right) / 2,
                          (rect.top + rect.bottom) / 2);
        } else {
            std::snprintf(line, sizeof line, "%ld %ld %ld %ld\n", rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top);
        }
        Print(line);
    } else if (command == "focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(target, nullptr), &info);
        Print(std::to_string(info.hwndFocus != nullptr ? GetDlgCtrlID(info.hwndFocus) : 0) + "\n");
    } else if (command == "iconic") {
        Print(IsIconic(target) ? "1\n" : "0\n");
    } else if (command == "foreground-is") {
        return GetForegroundWindow() == target ? 0 : 1;
    } else if (command == "controls") {
        EnumChildWindows(target, &PrintChild, 0);
    } else if (command == "close") {
        PostMessageA(target, WM_CLOSE, 0, 0);
    } else if (command == "syscommand" && id != nullptr) {
        PostMessageA(target, WM_SYSCOMMAND, std::strtoul(id, nullptr, 0), 0);
    } else if (command == "module" && id != nullptr) {
        Print(LoadedModulePath(target, id) + "\n");
    } else if (command == "ask" && argc == 6) {
        const UINT message = RegisterWindowMessageA(argv[3]);
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(target, message, std::strtoul(argv[4], nullptr, 0),
                                std::strtol(argv[5], nullptr, 0), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                                kSendTimeoutMilliseconds, &answer) == 0) {
            return 1;
        }
        Print(std::to_string(answer) + " " + std::to_string(message) + "\n");
    } else {
        return Usage();
    }
    return 0;
}
