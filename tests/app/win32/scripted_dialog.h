#pragma once

#include <windows.h>

#include <functional>
#include <utility>

namespace wobbet::testing {

// A dialog that runs a script once it is up: centred, shown and in its modal loop. The script
// plays the user (fills boxes, presses buttons) and may look at the window.
template <class Base>
class ScriptedDialog : public Base {
public:
    using Script = std::function<void(HWND dialog)>;

    template <class... Arguments>
    explicit ScriptedDialog(Script script, Arguments&&... arguments)
        : Base(std::forward<Arguments>(arguments)...), script_(std::move(script)) {}

protected:
    BOOL OnInitDialog() override {
        const BOOL result = Base::OnInitDialog();
        PostMessageA(this->Handle(), kRunScript, 0, 0);
        return result;
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == kRunScript) {
            script_(this->Handle());
            return true;
        }
        return Base::OnMessage(message, wParam, lParam, result);
    }

private:
    static constexpr UINT kRunScript = WM_APP + 100;
    Script script_;
};

inline void Press(HWND dialog, int buttonId) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

}  // namespace wobbet::testing
