#include "app/win32/framework/window.h"

namespace wobbet::win32 {

std::string Window::GetText() const {
    const int length = GetWindowTextLengthA(handle_);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(handle_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void Window::SetText(const std::string& text) {
    SetWindowTextA(handle_, text.c_str());
}

void Window::SetFocus() {
    ::SetFocus(handle_);
}

int Button::GetCheck() const {
    return static_cast<int>(SendMessageA(Handle(), BM_GETCHECK, 0, 0));
}

void Button::SetCheck(int state) {
    SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

}  // namespace wobbet::win32
