#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <type_traits>
#include <vector>

namespace wobbet::win32 {

// Which messages a dialog handles and with which of its methods: the messages by number, button
// clicks by control id. A handler may take no arguments or the message's (WPARAM, LPARAM), and
// gives nothing or the message's result (a number or a handle).
template <class Owner>
class HandlerTable {
public:
    struct Entry {
        UINT message;
        int controlId;  // only for WM_COMMAND
        LRESULT (*invoke)(Owner&, WPARAM, LPARAM);
    };

    HandlerTable(std::initializer_list<Entry> entries) : entries_(entries) {}

    template <auto Method>
    static Entry Message(UINT message) {
        return {message, 0, &Invoke<Method>};
    }

    template <auto Method>
    static Entry Clicked(int controlId) {
        return {WM_COMMAND, controlId, &Invoke<Method>};
    }

    // The handler's result, or nothing when no entry takes the message.
    std::optional<LRESULT> Dispatch(Owner& owner, UINT message, WPARAM wParam,
                                    LPARAM lParam) const {
        for (const Entry& entry : entries_) {
            if (entry.message != message) {
                continue;
            }
            if (message == WM_COMMAND &&
                (HIWORD(wParam) != BN_CLICKED || LOWORD(wParam) != entry.controlId)) {
                continue;
            }
            return entry.invoke(owner, wParam, lParam);
        }
        return std::nullopt;
    }

private:
    template <auto Method>
    static LRESULT Invoke(Owner& owner, WPARAM wParam, LPARAM lParam) {
        if constexpr (std::is_invocable_v<decltype(Method), Owner&, WPARAM, LPARAM>) {
            return AsResult([&] { return std::invoke(Method, owner, wParam, lParam); });
        } else {
            return AsResult([&] { return std::invoke(Method, owner); });
        }
    }

    template <class Call>
    static LRESULT AsResult(Call call) {
        using Result = decltype(call());
        if constexpr (std::is_void_v<Result>) {
            call();
            return 0;
        } else if constexpr (std::is_pointer_v<Result>) {
            return reinterpret_cast<LRESULT>(call());
        } else {
            return static_cast<LRESULT>(call());
        }
    }

    std::vector<Entry> entries_;
};

}  // namespace wobbet::win32
