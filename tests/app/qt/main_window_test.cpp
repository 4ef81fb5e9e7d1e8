#include "app/qt/main_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "app/qt/about_dialog.h"
#include "app/qt/dialog_units.h"
#include "app/qt/input_box.h"
#include "app/qt/teach_dialog.h"
#include "tests/app/qt/modal_dialogs.h"
#include "tests/app/qt/window_under_test.h"

namespace wobbet::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

class MainWindowTest : public ::testing::Test, protected WindowUnderTest {
protected:
    void SetUp() override { Open(); }

    // Opens the window's own context menu, or a text box's, and chooses its last item.
    void ChooseLastMenuItem(QWidget* target, QString* chosen) {
        QTimer::singleShot(0, [chosen] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QAction* last = menu->actions().constLast();
            *chosen = last->text();
            menu->setActiveAction(last);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QWidget* receiver = target;
        if (auto* box = qobject_cast<QPlainTextEdit*>(target)) {
            receiver = box->viewport();
        }
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                receiver->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(receiver, &event);
    }
};

TEST_F(MainWindowTest, OpensWithContextTickedAndTheFocusInTheInputBox) {
    EXPECT_EQ(window.windowTitle(), "QUIB Wobbet");
    EXPECT_TRUE(window.ContextCheck()->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), window.Input());
    EXPECT_TRUE(Reply().isEmpty());
    EXPECT_EQ(window.Engine().Knowledge().ResponseCount(), 7u);
}

TEST_F(MainWindowTest, EnterInTheInputBoxSaysAndEmptiesIt) {
    ScriptTurn(kSeedGroups, RandomGenerator::kMax);
    TypeAndPressEnter("hello");
    EXPECT_EQ(Reply(), "Hello.");
    EXPECT_TRUE(window.Input()->toPlainText().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), window.Input());
    EXPECT_EQ(random.Remaining(), 0u);
}

TEST_F(MainWindowTest, RepliesAreSpokenAndTheMoodIsShown) {
    server.calls.clear();
    ScriptTurn(kSeedGroups, RandomGenerator::kMax);
    TypeAndPressEnter("hello");
    EXPECT_THAT(server.calls,
                ElementsAre("GetVisible", "StopAll 4", "Speak Hello.", "Play Pleased"));
}

TEST_F(MainWindowTest, CharactersOpensTheCharactersOwnWindow) {
    server.calls.clear();
    QTest::mouseClick(window.CharactersButton(), Qt::LeftButton);
    EXPECT_THAT(server.calls, ElementsAre("ShowDefaultCharacterProperties 0 0 1"));
}

TEST_F(MainWindowTest, CtrlEnterBreaksTheLineAndTheTurnGetsItUnchanged) {
    QTest::keyClicks(window.Input(), "good");
    QTest::keyClick(window.Input(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(window.Input(), "weather");
    EXPECT_EQ(window.ReadInput(), "good\nweather");
    EXPECT_TRUE(Reply().isEmpty());

    // The break joins the words: no record knows GOODWEATHER, so the turn learns.
    ScriptTurn(kSeedGroups, 0);
    QTest::keyClick(window.Input(), Qt::Key_Return);
    EXPECT_EQ(window.Engine().Knowledge().ResponseCount(), 8u);
    EXPECT_TRUE(window.Input()->toPlainText().isEmpty());
}

TEST_F(MainWindowTest, LongInputWrapsInsideTheBox) {
    QTest::keyClicks(window.Input(), QString("word ").repeated(40));
    EXPECT_EQ(window.Input()->blockCount(), 1);
    EXPECT_GT(window.Input()->document()->firstBlock().layout()->lineCount(), 1);
}

TEST_F(MainWindowTest, EnterPressesSayFromTheCheckboxAndTheReplyBox) {
    for (QWidget* control :
         {static_cast<QWidget*>(window.ContextCheck()), static_cast<QWidget*>(window.ReplyBox())}) {
        window.ReplyBox()->clear();
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_EQ(Reply(), "Type something in the text box.  Then click the 'Say' button.")
            << control->metaObject()->className();
    }
}

TEST_F(MainWindowTest, EnterOnAFocusedButtonPressesThatButton) {
    ModalDialogs dialogs;
    dialogs.Expect<TeachDialog>([](TeachDialog* teach) { teach->reject(); });
    window.TeachButton()->setFocus();
    QTest::keyClick(window.TeachButton(), Qt::Key_Return);
    EXPECT_EQ(dialogs.Pending(), 0u);
    EXPECT_TRUE(Reply().isEmpty());

    // Back in the input box, Enter is Say's again.
    window.Input()->setFocus();
    QTest::keyClick(window.Input(), Qt::Key_Return);
    EXPECT_EQ(Reply(), "Type something in the text box.  Then click the 'Say' button.");
}

TEST_F(MainWindowTest, TabVisitsTheControlsInWindowOrder) {
    const std::vector<QWidget*> order = {window.SayButton(),   window.CharactersButton(),
                                         window.TeachButton(), window.ContextCheck(),
                                         window.ReplyBox(),    window.Input()};
    for (QWidget* expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected) << expected->metaObject()->className();
    }
}

TEST_F(MainWindowTest, TeachThroughTheDialogStoresThePairAndClearsContext) {
    ModalDialogs dialogs;
    dialogs.Expect<TeachDialog>([](TeachDialog* teach) {
        EXPECT_EQ(teach->windowTitle(), "Teach");
        EXPECT_EQ(QApplication::focusWidget(), teach->PhraseBox());
        QTest::keyClicks(teach->PhraseBox(), "what colour is the sky");
        QTest::keyClick(teach->PhraseBox(), Qt::Key_Tab);
        QTest::keyClicks(teach->ReplyBox(), "blue, mostly.");
        QTest::keyClick(teach->ReplyBox(), Qt::Key_Return);
    });
    QTest::mouseClick(window.TeachButton(), Qt::LeftButton);
    ASSERT_EQ(dialogs.Pending(), 0u);
    EXPECT_FALSE(window.ContextCheck()->isChecked());
    EXPECT_TRUE(Reply().isEmpty());

    // WHAT, COLOUR and SKY all hit the taught record: it wins and the turn is sure of itself.
    ScriptTurn(kSeedGroups + 1, RandomGenerator::kMax);
    TypeAndPressEnter("What colour is the sky?");
    EXPECT_EQ(Reply(), "Blue, mostly.");
}

TEST_F(MainWindowTest, ADialogBlocksTheMainWindowButNotTheCharacter) {
    QPushButton characterWindow("character");
    characterWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&characterWindow));
    QSignalSpy characterClicked(&characterWindow, &QPushButton::clicked);
    ModalDialogs dialogs;
    dialogs.Expect<TeachDialog>([this, &characterWindow](TeachDialog* teach) {
        // Clicks as the display sends them, so that blocked windows do not get them.
        QTest::mouseClick(characterWindow.windowHandle(), Qt::LeftButton, {},
                          characterWindow.rect().center());
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                          window.SayButton()->geometry().center());
        teach->reject();
    });
    QTest::mouseClick(window.TeachButton(), Qt::LeftButton);
    ASSERT_EQ(dialogs.Pending(), 0u);
    EXPECT_EQ(characterClicked.count(), 1);
    EXPECT_TRUE(Reply().isEmpty());
}

TEST_F(MainWindowTest, CancellingTeachChangesNothing) {
    ModalDialogs dialogs;
    dialogs.Expect<TeachDialog>([](TeachDialog* teach) {
        QTest::keyClicks(teach->PhraseBox(), "sky");
        QTest::keyClick(teach->PhraseBox(), Qt::Key_Escape);
    });
    QTest::mouseClick(window.TeachButton(), Qt::LeftButton);
    ASSERT_EQ(dialogs.Pending(), 0u);
    EXPECT_TRUE(window.ContextCheck()->isChecked());
    EXPECT_EQ(window.Engine().Knowledge().ResponseCount(), 7u);
    EXPECT_TRUE(Reply().isEmpty());
}

void ExpectAboutBox(AboutDialog* about) {
    EXPECT_EQ(about->windowTitle(), "About Wobbet");
    QStringList texts;
    for (const QLabel* label : about->findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            texts << label->text();
        }
    }
    EXPECT_EQ(texts, QStringList({"QUIB Wobbet Version 2.2", "Zentalo Software",
                                  "Includes Microsoft Agent technology"}));
}

TEST_F(MainWindowTest, F1OpensAboutAndEscClosesIt) {
    window.Input()->setPlainText("half typed");
    ModalDialogs dialogs;
    dialogs.Expect<AboutDialog>([](AboutDialog* about) {
        ExpectAboutBox(about);
        QTest::keyClick(about, Qt::Key_Escape);
    });
    QTest::keyClick(window.Input(), Qt::Key_F1);
    EXPECT_EQ(dialogs.Pending(), 0u);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Input()->toPlainText(), "half typed");
}

TEST_F(MainWindowTest, TheWindowsContextMenuOpensAbout) {
    ModalDialogs dialogs;
    dialogs.Expect<AboutDialog>([](AboutDialog* about) {
        ExpectAboutBox(about);
        QTest::mouseClick(about->OkButton(), Qt::LeftButton);
    });
    QString chosen;
    ChooseLastMenuItem(&window, &chosen);
    EXPECT_EQ(chosen, "&About Wobbet...");
    EXPECT_EQ(dialogs.Pending(), 0u);
}

TEST_F(MainWindowTest, TheTextBoxesMenusEndWithAbout) {
    for (QWidget* box :
         {static_cast<QWidget*>(window.Input()), static_cast<QWidget*>(window.ReplyBox())}) {
        ModalDialogs dialogs;
        dialogs.Expect<AboutDialog>([](AboutDialog* about) { about->accept(); });
        QString chosen;
        ChooseLastMenuItem(box, &chosen);
        EXPECT_EQ(chosen, "&About Wobbet...");
        EXPECT_EQ(dialogs.Pending(), 0u);
    }
}

TEST_F(MainWindowTest, BringToFrontRestoresAMinimisedWindow) {
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    window.BringToFront();
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, EscClosesTheWindowAndSavesWhatWasLearned) {
    ModalDialogs dialogs;
    dialogs.Expect<TeachDialog>([](TeachDialog* teach) {
        QTest::keyClicks(teach->PhraseBox(), "sky");
        QTest::keyClicks(teach->ReplyBox(), "blue");
        QTest::keyClick(teach->ReplyBox(), Qt::Key_Return);
    });
    QTest::mouseClick(window.TeachButton(), Qt::LeftButton);
    ASSERT_TRUE(ReadKnowledge().isEmpty());

    QSignalSpy closed(&window, &MainWindow::Closed);
    QTest::keyClick(window.Input(), Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ReadKnowledge(), "Blue\r\nSKY\r\n\r\n");
}

TEST_F(MainWindowTest, ClosingSavesBeforeTheCharacterStops) {
    disk.failing = DiskStep::kReplace;
    ModalDialogs dialogs;
    dialogs.Expect<QMessageBox>([this](QMessageBox* box) {
        EXPECT_EQ(box->text(), "Storage error: Save failed.");
        EXPECT_THAT(server.calls, Not(Contains("ReleaseServer")));
        box->accept();
    });
    window.close();
    ASSERT_EQ(dialogs.Pending(), 0u);
    EXPECT_THAT(server.calls, Contains("ReleaseServer"));
    EXPECT_FALSE(QFile::exists(KnowledgePath()));
}

TEST_F(MainWindowTest, TheCloseBoxClosesAndSavesOnce) {
    QSignalSpy closed(&window, &MainWindow::Closed);
    window.close();
    ASSERT_TRUE(QFile::exists(KnowledgePath()));
    ASSERT_TRUE(QFile::remove(KnowledgePath()));
    window.close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(QFile::exists(KnowledgePath()));
}

class StartTest : public ::testing::Test, protected WindowUnderTest {};

TEST_F(StartTest, WithoutACharacterTheReplyBoxSaysWhatToInstallAndSayStillAnswers) {
    server.failAt = "CreateServer";
    Open();
    EXPECT_EQ(Reply(), MainWindow::kCharacterNotFound);
    EXPECT_EQ(Reply(),
              "The Wobbet character was not found.  You can install its voice with the package "
              "espeak-ng.");
    ScriptTurn(kSeedGroups, RandomGenerator::kMax);
    TypeAndPressEnter("hello");
    EXPECT_EQ(Reply(), "Hello.");
    EXPECT_THAT(server.calls, Not(Contains("Speak Hello.")));
}

TEST_F(StartTest, TheCharacterIsPlacedAndGreetsBeforeTheWindowOpens) {
    Open();
    EXPECT_TRUE(Reply().isEmpty());
    EXPECT_THAT(server.calls,
                ElementsAre("Initialize", "CreateServer", "LoadDefaultCharacter", "GetCharacter 7",
                            "GetOriginalSize", "SetPosition 200 100", "Show 0", "Play Greet"));
}

TEST_F(StartTest, RecordsFromTheFileAnswer) {
    WriteKnowledge("Blue, mostly.\r\nSKY\r\n\r\n");
    Open();
    ASSERT_EQ(window.Engine().Knowledge().ResponseCount(), 8u);
    ScriptTurn(kSeedGroups + 1, RandomGenerator::kMax);
    TypeAndPressEnter("sky");
    EXPECT_EQ(Reply(), "Blue, mostly.");
}

TEST_F(StartTest, ADamagedFileIsReportedBeforeTheWindowOpensAndLeftUntouched) {
    const QByteArray damaged = "Blue, mostly.\r\nSKY\r\n\r\n\r\nNever read\r\n\r\n";
    WriteKnowledge(damaged);
    ModalDialogs dialogs;
    dialogs.Expect<QMessageBox>([this](QMessageBox* box) {
        EXPECT_FALSE(window.isVisible());
        EXPECT_THAT(server.calls, Contains("Play Greet"));
        // Titled with the program file's name, like every warning.
        EXPECT_EQ(box->windowTitle(), "qt_app_tests");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->text(),
                  "Storage error: Space misalignment. Records added in this session cannot be "
                  "saved.");
        box->accept();
    });
    Open();
    ASSERT_EQ(dialogs.Pending(), 0u);
    EXPECT_TRUE(window.ContextCheck()->isChecked());
    // The record before the damage still answers.
    EXPECT_EQ(window.Engine().Knowledge().ResponseCount(), 8u);

    // Learn something, then close: the file must stay as it was.
    window.SetContextEnabled(false);
    ScriptTurn(kSeedGroups + 1, 0);
    TypeAndPressEnter("nice weather");
    ASSERT_EQ(window.Engine().Knowledge().ResponseCount(), 9u);
    QTest::keyClick(window.Input(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ReadKnowledge(), damaged);
}

}  // namespace
}  // namespace wobbet::testing
