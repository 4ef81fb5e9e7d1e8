#include "app/win32/bot_app.h"

#include "agent/builtin/builtin_agent_server.h"
#include "agent/com/com_agent_server.h"
#include "agent/fallback_agent_server.h"
#include "app/win32/bot_dlg.h"
#include "app/win32/single_instance.h"
#include "storage/program_dir.h"

namespace wobbet {
namespace {

// The asking side's copy of the probe message id; the main window registers its own.
const UINT UWM_ARE_YOU_ME = RegisterWindowMessageA(kAreYouMeMessageName);

}  // namespace

BOOL CALLBACK FindRunningInstance(HWND window, LPARAM target) {
    DWORD_PTR answer = 0;
    // A hung window is skipped at once, a slow one costs at most the time-out.
    if (SendMessageTimeoutA(window, UWM_ARE_YOU_ME, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                            kProbeTimeoutMilliseconds, &answer) == 0) {
        return TRUE;
    }
    if (answer == UWM_ARE_YOU_ME) {
        *reinterpret_cast<HWND*>(target) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CBotApp::InitInstance() {
    // The handle is never closed: the mutex only has to exist for as long as this copy runs.
    CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    if (IsAnotherInstanceRunning(GetLastError())) {
        HWND found = nullptr;
        EnumWindows(&FindRunningInstance, reinterpret_cast<LPARAM>(&found));
        if (found != nullptr) {
            SetForegroundWindow(found);
            if (IsIconic(found)) {
                ShowWindow(found, SW_RESTORE);
            }
        }
        return FALSE;
    }

    // Without a character server, the character we bring along stands in.
    com::ComAgentServer characterServer;
    builtin::BuiltinAgentServer builtinCharacter;
    FallbackAgentServer character(characterServer, builtinCharacter);
    CBotDlg dialog(character, DefaultKnowledgePath());
    dialog.DoModal();
    return FALSE;
}

}  // namespace wobbet
