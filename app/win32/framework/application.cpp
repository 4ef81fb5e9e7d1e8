#include "app/win32/framework/application.h"

namespace wobbet::win32 {

int Application::Run() {
    InitInstance();
    return 0;
}

std::string TitleFromModulePath(std::string_view path) {
    const std::size_t folderEnd = path.find_last_of("\\/:");
    std::string_view name = folderEnd == std::string_view::npos ? path : path.substr(folderEnd + 1);
    const std::size_t extension = name.rfind('.');
    if (extension != std::string_view::npos && extension > 0) {
        name = name.substr(0, extension);
    }
    return std::string(name);
}

std::string ApplicationTitle() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return TitleFromModulePath(std::string_view(path, length));
}

std::string LoadResourceString(UINT id) {
    char text[1024] = {};
    const int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

int ApplicationMessageBox(HWND owner, const std::string& text, UINT type) {
    return MessageBoxA(owner, text.c_str(), ApplicationTitle().c_str(), type);
}

}  // namespace wobbet::win32
