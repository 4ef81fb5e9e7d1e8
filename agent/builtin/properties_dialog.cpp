#include "agent/builtin/properties_dialog.h"

#include <commctrl.h>

#include "agent/builtin/builtin_resource_ids.h"

namespace wobbet::builtin {
namespace {

struct DialogState {
    const std::vector<InstalledVoice>* voices;
    VoiceSettings* settings;
};

void Fill(HWND dialog, const DialogState& state) {
    HWND voice = GetDlgItem(dialog, IDC_CHARACTER_VOICE);
    SendMessageW(voice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"(Default voice)"));
    int selected = 0;
    for (std::size_t i = 0; i < state.voices->size(); ++i) {
        const InstalledVoice& installed = (*state.voices)[i];
        SendMessageW(voice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(installed.name.c_str()));
        if (installed.id == state.settings->voice) {
            selected = static_cast<int>(i) + 1;
        }
    }
    SendMessageW(voice, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    HWND speed = GetDlgItem(dialog, IDC_CHARACTER_SPEED);
    SendMessageW(speed, TBM_SETRANGE, TRUE, MAKELPARAM(-10, 10));
    SendMessageW(speed, TBM_SETPOS, TRUE, state.settings->rate);
    CheckDlgButton(dialog, IDC_CHARACTER_SOUND,
                   state.settings->sound ? BST_CHECKED : BST_UNCHECKED);
}

void Read(HWND dialog, const DialogState& state) {
    const LRESULT chosen = SendDlgItemMessageW(dialog, IDC_CHARACTER_VOICE, CB_GETCURSEL, 0, 0);
    state.settings->voice = chosen > 0 && static_cast<std::size_t>(chosen) <= state.voices->size()
                                ? (*state.voices)[static_cast<std::size_t>(chosen) - 1].id
                                : std::wstring();
    state.settings->rate =
        static_cast<long>(SendDlgItemMessageW(dialog, IDC_CHARACTER_SPEED, TBM_GETPOS, 0, 0));
    state.settings->sound = IsDlgButtonChecked(dialog, IDC_CHARACTER_SOUND) == BST_CHECKED;
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            Fill(dialog, *reinterpret_cast<DialogState*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                Read(dialog, *state);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool RunPropertiesDialog(HWND owner, const std::vector<InstalledVoice>& voices,
                         VoiceSettings* settings) {
    // The speed slider is a common control.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    VoiceSettings edited = *settings;
    DialogState state{&voices, &edited};
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHARACTER_PROPERTIES),
                        owner, &Procedure, reinterpret_cast<LPARAM>(&state)) != IDOK) {
        return false;
    }
    *settings = edited;
    return true;
}

}  // namespace wobbet::builtin
