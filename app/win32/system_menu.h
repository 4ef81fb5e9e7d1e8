#pragma once

#include <windows.h>

#include "app/win32/resource_ids.h"

namespace wobbet {

// The system keeps the low four bits of system-menu commands for itself, so any of 0x0010 to
// 0x001F is the About item.
constexpr bool IsAboutCommand(WPARAM command) {
    return (command & 0xFFF0) == IDM_ABOUTBOX;
}

}  // namespace wobbet
