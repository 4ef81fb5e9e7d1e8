#include "app/qt/main_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <string_view>
#include <tuple>

#include "app/qt/input_box.h"
#include "app/qt/knowledge_model.h"
#include "app/qt/knowledge_window.h"
#include "app/qt/single_instance.h"
#include "app/qt/teach_dialog.h"
#include "tests/support/fake_agent_server.h"
#include "tests/support/faulty_file_system.h"

namespace wobbet::testing {
namespace {

using ::testing::Contains;
using ::testing::Not;

// Runs `handle` on the modal box that the next step opens, from inside the box's own loop.
void OnNextModal(std::function<void(QWidget*)> handle) {
    QTimer::singleShot(0, [handle] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
        handle(modal);
    });
}

// The program's window over a recording character server and a disk that can be made to fail.
class MainWindowTest : public ::testing::Test {
protected:
    QTemporaryDir directory;
    FakeAgentServer server;
    FaultyFileSystem disk;
    MainWindow window{server, directory.filePath(QStringLiteral("Wobbet.dat")).toStdString(), disk};

    void SetUp() override {
        window.Initialize(1);
        window.ShowCentred();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QString Reply() const { return window.ReplyBox()->toPlainText(); }
    QByteArray Saved() const {
        QFile file(directory.filePath(QStringLiteral("Wobbet.dat")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
};

// Says a phrase that no record knows, so that it is learned whatever the draws.
void Learn(MainWindow& window, const char* phrase) {
    window.Input()->setPlainText(QString::fromLatin1(phrase));
    QTest::mouseClick(window.SayButton(), Qt::LeftButton);
}

TEST_F(MainWindowTest, EnterSaysFromAnyControlButAnotherButtonThenEmptiesTheInput) {
    for (QWidget* control : std::initializer_list<QWidget*>{window.Input(), window.ContextCheck(),
                                                            window.ReplyBox()}) {
        server.calls.clear();
        window.Input()->setPlainText(QStringLiteral("hello"));
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_EQ(Reply(), "Hello.") << control->metaObject()->className();
        EXPECT_THAT(server.calls, Contains("Speak Hello."));
        EXPECT_TRUE(window.Input()->toPlainText().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), window.Input());
    }
    // Ctrl+Enter breaks the line instead, and the turn gets it unchanged.
    QTest::keyClicks(window.Input(), "good");
    QTest::keyClick(window.Input(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(window.ReadInput(), "good\n");
    EXPECT_EQ(Reply(), "Hello.");
    // On a focused button Enter presses that button.
    QString opened;
    OnNextModal([&opened](QWidget* teach) {
        opened = teach->windowTitle();
        teach->close();
    });
    window.TeachButton()->setFocus();
    QTest::keyClick(window.TeachButton(), Qt::Key_Return);
    EXPECT_EQ(opened, "Teach");
    EXPECT_EQ(Reply(), "Hello.");
    EXPECT_EQ(window.focusWidget(), window.Input());
}

TEST_F(MainWindowTest, TeachStoresThePairWhileTheCharacterStaysUsable) {
    QPushButton characterWindow(QStringLiteral("character"));
    characterWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&characterWindow));
    QSignalSpy characterClicked(&characterWindow, &QPushButton::clicked);
    OnNextModal([&](QWidget* modal) {
        auto* teach = qobject_cast<TeachDialog*>(modal);
        ASSERT_NE(teach, nullptr);
        // Clicks as the display sends them, so that blocked windows do not get them.
        QTest::mouseClick(characterWindow.windowHandle(), Qt::LeftButton, {},
                          characterWindow.rect().center());
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                          window.SayButton()->geometry().center());
        QTest::keyClicks(teach->PhraseBox(), "what colour is the sky");
        QTest::keyClick(teach->PhraseBox(), Qt::Key_Tab);
        QTest::keyClicks(teach->ReplyBox(), "blue, mostly.");
        QTest::keyClick(teach->ReplyBox(), Qt::Key_Return);
    });
    QTest::mouseClick(window.TeachButton(), Qt::LeftButton);
    EXPECT_EQ(characterClicked.count(), 1);
    EXPECT_TRUE(Reply().isEmpty());
    EXPECT_FALSE(window.ContextCheck()->isChecked());
    EXPECT_EQ(window.Core().Engine().Knowledge().ResponseCount(), 8u);
    EXPECT_EQ(window.focusWidget(), window.Input());
}

TEST_F(MainWindowTest, KnowledgeWindowFiltersDeletesAndEditsAndFollowsTheConversation) {
    for (const char* phrase : {"zebra quantum", "purple lantern", "amber owl"}) {
        Learn(window, phrase);
    }
    QTest::keyClick(window.Input(), Qt::Key_K, Qt::ControlModifier);
    KnowledgeWindow* knowledge = window.Knowledge();
    ASSERT_NE(knowledge, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(knowledge));
    KnowledgeModel* model = knowledge->Model();
    using enum KnowledgeModel::Column;
    auto cell = [model](int row, int column) {
        return model->index(row, column).data().toString().toStdString();
    };
    EXPECT_EQ(knowledge->windowTitle(), "Knowledge (3 records)");
    EXPECT_EQ(cell(0, kReply), "Amber owl");
    auto expectFiltered = [knowledge,
                           model](const std::vector<std::pair<QString, int>>& filtersAndRows) {
        for (const auto& [filter, rows] : filtersAndRows) {
            knowledge->FilterBox()->setText(filter);
            ASSERT_TRUE(QTest::qWaitFor([knowledge] { return !knowledge->Filtering(); }));
            EXPECT_EQ(model->rowCount(), rows) << filter.toStdString();
        }
    };
    expectFiltered({{" lanTERN ", 2}, {"purple HELLO", 1}, {"quib", 1}, {"owl zebra", 0}, {"", 3}});

    // Row 1's context is the phrase before it. Each column changes alone; a refusal names what
    // is wrong with that column.
    const std::string noWords =
        "Keywords need at least one word that is not a common one like "
        "\"the\" or \"is\"; the record is unchanged.";
    for (const auto& [column, text, refusal, keywordsAndContext] :
         std::vector<std::tuple<int, const char*, std::string, const char*>>{
             {kKeywords, "the Stripes, black!", "", "STRIPES BLACK|ZEBRA QUANTUM"},
             {kReply, "Zebra stripes.", "", "STRIPES BLACK|ZEBRA QUANTUM"},
             {kContextKeywords, "night, SKY", "", "STRIPES BLACK|NIGHT SKY"},
             {kKeywords, "the", noWords, "STRIPES BLACK|NIGHT SKY"},
             {kContextKeywords, "the", noWords, "STRIPES BLACK|NIGHT SKY"},
             {kContextKeywords, "", "", "STRIPES BLACK|"},
             {kReply, "", "A reply cannot be empty; the record is unchanged.", "STRIPES BLACK|"}}) {
        std::string shown;
        if (!refusal.empty()) {
            OnNextModal([&shown](QWidget* box) {
                shown = qobject_cast<QMessageBox*>(box)->text().toStdString();
                box->close();
            });
        }
        EXPECT_EQ(model->setData(model->index(1, column), text, Qt::EditRole), refusal.empty());
        EXPECT_EQ(shown, refusal) << text;
        EXPECT_EQ(cell(1, kKeywords) + "|" + cell(1, kContextKeywords), keywordsAndContext);
    }
    // The filter reads the tables as edited, not as they were when it last ran.
    expectFiltered({{"stripes", 1}, {"", 3}});
    knowledge->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(knowledge));
    knowledge->Table()->setFocus();
    // Deleting several records asks first (closing the question keeps them); one goes at once.
    QString question;
    OnNextModal([&question](QWidget* box) {
        question = qobject_cast<QMessageBox*>(box)->text();
        box->close();
    });
    QTest::keyClick(knowledge->Table(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(knowledge->Table(), Qt::Key_Delete);
    EXPECT_EQ(question, "Delete 3 records?");
    knowledge->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(knowledge));
    knowledge->Table()->selectRow(2);
    QTest::keyClick(knowledge->Table(), Qt::Key_Delete);
    // Ctrl+Z undoes typing and leaves the lessons alone; Ctrl+Shift+Backspace forgets the newest
    // lesson still held, and the Knowledge window follows.
    QApplication::setActiveWindow(&window);
    window.Input()->setFocus();
    QTest::keyClicks(window.Input(), "typo");
    QTest::keyClick(window.Input(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window.Input()->toPlainText(), "");
    EXPECT_FALSE(Reply().startsWith("Forgot"));
    QTest::keyClick(window.Input(), Qt::Key_Backspace, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Reply().toStdString(), "Forgot: Amber owl");
    QTest::qWait(0);
    EXPECT_EQ(knowledge->windowTitle().toStdString(), "Knowledge (1 record)");
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        window.ShowKnowledge();
        QApplication::setActiveWindow(knowledge);
        QTest::keyClick(knowledge->Table(), key.key(), key.keyboardModifiers());
        EXPECT_FALSE(knowledge->isVisible());
    }
    window.close();
    EXPECT_EQ(Saved(), "Zebra stripes.\r\nSTRIPES\r\nBLACK\r\n\r\n");
}

TEST_F(MainWindowTest, SavesSoonAfterEachLessonOffTheWindowThread) {
    std::atomic<QThread*> writer = nullptr;
    disk.beforeWrite = [&writer] { writer = QThread::currentThread(); };
    Learn(window, "zebra quantum");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Saved() != "<none>"; }, 10000));
    EXPECT_NE(writer.load(), QThread::currentThread());
}

TEST_F(MainWindowTest, ImportConversationsLearnsTheFileChosenAndSaysSoInTheReplyBox) {
    QFile chat(directory.filePath(QStringLiteral("chat.txt")));
    ASSERT_TRUE(chat.open(QIODevice::WriteOnly) && chat.write("zebra quantum\npurple lantern\n"));
    chat.close();
    OnNextModal([&chat](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(chat.fileName());
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    window.ImportAction()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Reply().startsWith("Imported"); }, 10000));
    EXPECT_EQ(Reply(), "Imported 1 new records; 0 were already known.");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Saved() != "<none>"; }, 10000));
    EXPECT_EQ(Saved(), "Purple lantern\r\nZEBRA\r\nQUANTUM\r\n\r\n");
}

class ClosingTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ClosingTest, WarnsOfAFailedSaveOnceBeforeTheCharacterStops) {
    Learn(window, "zebra quantum");
    disk.failing = DiskStep::kReplace;
    int writes = 0;
    disk.beforeWrite = [&writes] { ++writes; };
    QSignalSpy closed(&window, &MainWindow::Closed);
    QString warning;
    OnNextModal([this, &warning](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "qt_app_tests");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_THAT(server.calls, Not(Contains("ReleaseServer")));
        warning = box->text();
        box->accept();
    });
    if (GetParam()) {
        QTest::keyClick(window.Input(), Qt::Key_Escape);
    } else {
        window.close();
    }
    EXPECT_EQ(warning, "Storage error: Save failed.");
    EXPECT_THAT(server.calls, Contains("ReleaseServer"));
    EXPECT_FALSE(window.isVisible());
    window.close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(writes, 1);
}

// Esc, then the close box.
INSTANTIATE_TEST_SUITE_P(EscAndCloseBox, ClosingTest, ::testing::Bool());

TEST(SingleInstanceTest, ALockThatCannotBeMadeRunsTheProgramAlone) {
    QTemporaryDir directory;
    SingleInstance alone(directory.filePath(QStringLiteral("missing")),
                         QStringLiteral("/Wobbet.dat"));
    EXPECT_TRUE(alone.Claim());
}

}  // namespace
}  // namespace wobbet::testing

// Offscreen unless a platform is given.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Settings go to a scratch place, not the user's.
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
