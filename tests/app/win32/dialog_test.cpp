#include "app/win32/framework/dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "app/win32/about_dlg.h"
#include "app/win32/resource_ids.h"
#include "app/win32/teach_dlg.h"
#include "tests/app/win32/scripted_dialog.h"

namespace wobbet {
namespace {

using testing::Press;
using testing::ScriptedDialog;

TEST(TeachDialogTest, OkTakesBothBoxesExactlyAsTyped) {
    ScriptedDialog<CTeachDlg> teach(
        [](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_TEACH_PHRASE, "if you\r\nsay this");
            SetDlgItemTextA(dialog, IDC_TEACH_REPLY, "  I should say this  ");
            Press(dialog, IDOK);
        },
        nullptr);
    EXPECT_EQ(teach.DoModal(), IDOK);
    EXPECT_EQ(teach.m_phrase, "if you\r\nsay this");
    EXPECT_EQ(teach.m_reply, "  I should say this  ");
}

TEST(TeachDialogTest, OkWithEmptyBoxesGivesEmptyTexts) {
    ScriptedDialog<CTeachDlg> teach([](HWND dialog) { Press(dialog, IDOK); }, nullptr);
    EXPECT_EQ(teach.DoModal(), IDOK);
    EXPECT_EQ(teach.m_phrase, "");
    EXPECT_EQ(teach.m_reply, "");
}

TEST(TeachDialogTest, CancelAndClosingKeepTheMembersUntouched) {
    const auto typeThen = [](int how) {
        return [how](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_TEACH_PHRASE, "phrase");
            SetDlgItemTextA(dialog, IDC_TEACH_REPLY, "reply");
            if (how == WM_CLOSE) {
                SendMessageA(dialog, WM_CLOSE, 0, 0);
            } else {
                Press(dialog, how);
            }
        };
    };
    for (const int how : {IDCANCEL, WM_CLOSE}) {
        ScriptedDialog<CTeachDlg> teach(typeThen(how), nullptr);
        EXPECT_EQ(teach.DoModal(), IDCANCEL);
        EXPECT_EQ(teach.m_phrase, "");
        EXPECT_EQ(teach.m_reply, "");
    }
}

TEST(DialogTest, OpensCentredOverItsOwner) {
    RECT owner{};
    RECT teach{};
    ScriptedDialog<CAboutDlg> about(
        [&](HWND aboutWindow) {
            GetWindowRect(aboutWindow, &owner);
            ScriptedDialog<CTeachDlg> teachDialog(
                [&](HWND teachWindow) {
                    GetWindowRect(teachWindow, &teach);
                    Press(teachWindow, IDCANCEL);
                },
                nullptr);
            teachDialog.DoModal();
            Press(aboutWindow, IDOK);
        },
        nullptr);
    about.DoModal();
    // The Teach dialog is the larger one here, so its centre is the owner's, unless keeping it
    // on the screen moved it.
    RECT workArea{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    ASSERT_GT(teach.right, teach.left);
    EXPECT_GE(teach.left, workArea.left);
    EXPECT_GE(teach.top, workArea.top);
    if (teach.top > workArea.top && teach.bottom < workArea.bottom) {
        EXPECT_NEAR((teach.top + teach.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
    }
    EXPECT_NEAR((teach.left + teach.right) / 2, (owner.left + owner.right) / 2, 1);
}

// Handles a few messages to show how results travel back to the sender.
class AnsweringDialog : public win32::Dialog {
public:
    static constexpr UINT kAnswer = WM_APP + 1;
    static constexpr UINT kAskDefault = WM_APP + 2;

    AnsweringDialog() : Dialog(IDD_ABOUTBOX) {}

    LRESULT answer = 0;
    LRESULT dragIcon = 0;
    LRESULT caption = 0;

protected:
    BOOL OnInitDialog() override {
        Dialog::OnInitDialog();
        PostMessageA(Handle(), kAnswer, 0, 0);
        return TRUE;
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        switch (message) {
            case kAnswer:
                answer = SendMessageA(Handle(), kAskDefault + 1, 0, 0);
                dragIcon = SendMessageA(Handle(), WM_QUERYDRAGICON, 0, 0);
                char text[64];
                caption =
                    SendMessageA(Handle(), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
                EndDialog(IDOK);
                return true;
            case kAskDefault + 1:
                *result = 0x1234;
                return true;
            case WM_QUERYDRAGICON:
                *result = 0x5678;
                return true;
            case WM_GETTEXT:
                // Handled, but the default processing is wanted too: the caption is copied.
                Default();
                *result = -7;
                return true;
            default:
                return Dialog::OnMessage(message, wParam, lParam, result);
        }
    }
};

TEST(DialogTest, HandlersAnswerTheSenderOrLeaveTheMessageToTheDefaults) {
    AnsweringDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.answer, 0x1234);
    EXPECT_EQ(dialog.dragIcon, 0x5678);
    EXPECT_EQ(dialog.caption, static_cast<LRESULT>(std::string("About Wobbet").size()));
}

}  // namespace
}  // namespace wobbet
