#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace wobbet::win32 {

// The program's one application object. Run calls InitInstance, which does all the program's
// work (typically running the main window as a modal dialog); there is no message pump of the
// application's own, so the program ends when InitInstance returns.
class Application {
public:
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    virtual ~Application() = default;

    int Run();

protected:
    virtual BOOL InitInstance() = 0;
};

// The application's title: the program file's base name, without folder and extension.
std::string ApplicationTitle();
std::string TitleFromModulePath(std::string_view path);

// A string from the program's string table; empty when there is none.
std::string LoadResourceString(UINT id);

// A modal message box captioned with the application's title; gives the button pressed.
int ApplicationMessageBox(HWND owner, const std::string& text, UINT type);

}  // namespace wobbet::win32
