#pragma once

#include <windows.h>

namespace wobbet {

// Exists while the first copy of the program runs. No global-namespace prefix: each logon
// session has its own, while programs run by other accounts on the same desktop share it.
inline constexpr char kInstanceMutexName[] = "DEREZIDA-3FF8EB0A-BCAC-44f6-89A6-C7F6D87028BC";

// A second copy asks every top-level window this registered message; the running copy's main
// window answers with the message's own id.
inline constexpr char kAreYouMeMessageName[] =
    "UWM_ARE_YOU_ME-{88A384E5-F71B-4f6e-80DE-67527AB618D5}";
inline constexpr UINT kProbeTimeoutMilliseconds = 200;

// Whether the error left by creating the instance mutex says another copy runs. Access denied
// means the mutex exists under another account's security context.
inline bool IsAnotherInstanceRunning(DWORD createMutexError) {
    return createMutexError == ERROR_ALREADY_EXISTS || createMutexError == ERROR_ACCESS_DENIED;
}

}  // namespace wobbet
