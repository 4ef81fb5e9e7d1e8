#pragma once

#include <windows.h>

#include <string>

namespace wobbet::win32 {

// A window that some other code created, reached through its handle. Copying would let two
// wrappers think they own one window's binding, so it is not allowed.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() = default;

    HWND Handle() const { return handle_; }
    void Attach(HWND handle) { handle_ = handle; }
    void Detach() { handle_ = nullptr; }

    // The whole text, as the window holds it (ANSI code page).
    std::string GetText() const;
    void SetText(const std::string& text);
    void SetFocus();

private:
    HWND handle_ = nullptr;
};

class Edit : public Window {};

class Button : public Window {
public:
    // BST_CHECKED (1) when ticked, BST_UNCHECKED (0) when not.
    int GetCheck() const;
    void SetCheck(int state);
};

}  // namespace wobbet::win32
