#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/framework/application.h"
#include "app/win32/framework/handler_table.h"
#include "app/win32/minimized_icon.h"
#include "app/win32/single_instance.h"
#include "app/win32/system_menu.h"

namespace wobbet {
namespace {

TEST(ApplicationTitleTest, IsTheProgramFileBaseName) {
    EXPECT_EQ(win32::TitleFromModulePath("C:\\Program Files\\Wobbet\\Wobbet.exe"), "Wobbet");
    EXPECT_EQ(win32::TitleFromModulePath("Z:\\tmp\\my.bot\\Chatter.EXE"), "Chatter");
    EXPECT_EQ(win32::TitleFromModulePath("C:\\bin\\Wobbet.old.exe"), "Wobbet.old");
    EXPECT_EQ(win32::TitleFromModulePath("C:\\bin\\Wobbet"), "Wobbet");
    EXPECT_EQ(win32::TitleFromModulePath("Wobbet.exe"), "Wobbet");
    EXPECT_EQ(win32::ApplicationTitle(), "app_win32_tests");
}

TEST(MinimizedIconTest, IsCentredTruncatingTowardZero) {
    EXPECT_EQ(CenteredIconOffset(37, 32), 3);
    EXPECT_EQ(CenteredIconOffset(36, 32), 2);
    EXPECT_EQ(CenteredIconOffset(28, 32), -1);
    EXPECT_EQ(CenteredIconOffset(32, 32), 0);
    EXPECT_EQ(CenteredIconOffset(0, 32), -15);
}

TEST(SystemMenuTest, AnyCommandFrom0x10To0x1FIsTheAboutItem) {
    for (WPARAM command = 0x10; command <= 0x1F; ++command) {
        EXPECT_TRUE(IsAboutCommand(command)) << command;
    }
    EXPECT_FALSE(IsAboutCommand(0x0F));
    EXPECT_FALSE(IsAboutCommand(0x20));
    EXPECT_FALSE(IsAboutCommand(SC_CLOSE));
    EXPECT_FALSE(IsAboutCommand(SC_MINIMIZE));
}

TEST(SingleInstanceTest, AnExistingOrForbiddenMutexMeansAnotherCopyRuns) {
    EXPECT_TRUE(IsAnotherInstanceRunning(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(IsAnotherInstanceRunning(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(IsAnotherInstanceRunning(ERROR_SUCCESS));
    EXPECT_FALSE(IsAnotherInstanceRunning(ERROR_INVALID_HANDLE));
}

struct Recorder {
    std::vector<std::string> calls;

    void OnClick() { calls.push_back("click"); }
    void OnPlain() { calls.push_back("plain"); }
    LRESULT OnWithArguments(WPARAM wParam, LPARAM lParam) {
        calls.push_back("arguments " + std::to_string(wParam) + " " + std::to_string(lParam));
        return 77;
    }
    HCURSOR OnHandle() { return reinterpret_cast<HCURSOR>(0x4321); }
};

using Table = win32::HandlerTable<Recorder>;

TEST(HandlerTableTest, ClicksGoToTheirButtonsHandlerOnly) {
    const Table table{Table::Clicked<&Recorder::OnClick>(1002)};
    Recorder recorder;
    EXPECT_EQ(table.Dispatch(recorder, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0), 0);
    EXPECT_EQ(table.Dispatch(recorder, WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0), std::nullopt);
    EXPECT_EQ(table.Dispatch(recorder, WM_COMMAND, MAKEWPARAM(1002, BN_SETFOCUS), 0), std::nullopt);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"click"});
}

TEST(HandlerTableTest, MessagesReachHandlersOfEveryShape) {
    const Table table{
        Table::Message<&Recorder::OnPlain>(WM_PAINT),
        Table::Message<&Recorder::OnWithArguments>(WM_APP),
        Table::Message<&Recorder::OnHandle>(WM_QUERYDRAGICON),
    };
    Recorder recorder;
    EXPECT_EQ(table.Dispatch(recorder, WM_PAINT, 1, 2), 0);
    EXPECT_EQ(table.Dispatch(recorder, WM_APP, 5, -6), 77);
    EXPECT_EQ(table.Dispatch(recorder, WM_QUERYDRAGICON, 0, 0), 0x4321);
    EXPECT_EQ(table.Dispatch(recorder, WM_DESTROY, 0, 0), std::nullopt);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"plain", "arguments 5 -6"}));
}

}  // namespace
}  // namespace wobbet
