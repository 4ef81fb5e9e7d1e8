#include "app/qt/main_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string_view>

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
    auto cell = [model](int row, int column) { return model->index(row, column).data(); };
    EXPECT_EQ(knowledge->windowTitle(), "Knowledge (3 records)");
    EXPECT_EQ(cell(0, KnowledgeModel::kReply), "Amber owl");
    for (const auto& [filter, rows] : std::vector<std::pair<QString, int>>{
             {" lanTERN ", 2}, {"purple HELLO", 1}, {"quib", 1}, {"owl zebra", 0}, {"", 3}}) {
        knowledge->FilterBox()->setText(filter);
        ASSERT_TRUE(QTest::qWaitFor([knowledge] { return !knowledge->Filtering(); }));
        EXPECT_EQ(model->rowCount(), rows) << filter.toStdString();
    }

    auto edit = [model](int column, const char* text) {
        return model->setData(model->index(2, column), QString::fromLatin1(text), Qt::EditRole);
    };
    EXPECT_TRUE(edit(KnowledgeModel::kReply, "Zebra stripes."));
    EXPECT_TRUE(edit(KnowledgeModel::kKeywords, "the Stripes, black!"));
    QString refusal;
    OnNextModal([&refusal](QWidget* box) {
        refusal = qobject_cast<QMessageBox*>(box)->text();
        box->close();
    });
    EXPECT_FALSE(edit(KnowledgeModel::kReply, "   "));
    EXPECT_EQ(refusal, "A reply cannot be empty; the record is unchanged.");
    knowledge->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(knowledge));
    knowledge->Table()->setFocus();
    knowledge->Table()->selectRow(1);
    QTest::keyClick(knowledge->Table(), Qt::Key_Delete);
    // Ctrl+Z forgets the newest lesson still held; the Knowledge window follows.
    QApplication::setActiveWindow(&window);
    window.Input()->setFocus();
    QTest::keyClick(window.Input(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Reply().toStdString(), "Forgot: Amber owl");
    QTest::qWait(0);
    EXPECT_EQ(knowledge->windowTitle().toStdString(), "Knowledge (1 record)");
    EXPECT_EQ(cell(0, KnowledgeModel::kKeywords), "STRIPES BLACK");
    window.close();
    EXPECT_EQ(Saved(), "Zebra stripes.\r\nSTRIPES\r\nBLACK\r\n\r\n");
}

TEST_F(MainWindowTest, SavesSoonAfterEachLessonOffTheWindowThreadAndWarnsOnceOfFailures) {
    std::atomic<QThread*> writer = nullptr;
    std::atomic<int> writes = 0;
    disk.beforeWrite = [&] {
        writer = QThread::currentThread();
        ++writes;
    };
    Learn(window, "zebra quantum");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Saved() != "<none>"; }, 10000));
    EXPECT_NE(writer.load(), QThread::currentThread());
    disk.failing = DiskStep::kReplace;
    int warnings = 0;
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [&warnings] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++warnings;
            box->close();
        }
    });
    dismiss.start(20);
    for (const int saves : {2, 3}) {
        Learn(window, saves == 2 ? "purple lantern" : "amber owl");
        ASSERT_TRUE(QTest::qWaitFor([&writes, saves] { return writes == saves; }, 10000));
    }
    QTest::qWait(500);
    EXPECT_EQ(warnings, 1);
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

TEST(AutosaveTest, AKillAfterALessonLosesNothing) {
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("Wobbet.dat"));
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--learn-and-wait"), path});
    ASSERT_TRUE(child.waitForReadyRead(20000));
    ASSERT_TRUE(QTest::qWaitFor([&path] { return QFile::exists(path); }, 10000));
    child.kill();  // SIGKILL
    ASSERT_TRUE(child.waitForFinished());
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "Zebra quantum\r\n!\r\n\r\n");
}

class ClosingTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ClosingTest, WarnsOfAFailedSaveOnceBeforeTheCharacterStops) {
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
    SingleInstance alone(directory.filePath(QStringLiteral("missing")));
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
    // The autosave test's child: learns a phrase, says so, and waits to be killed.
    if (argc == 3 && std::string_view(argv[1]) == "--learn-and-wait") {
        wobbet::testing::FakeAgentServer server;
        wobbet::MainWindow window(server, argv[2]);
        window.Initialize(1);
        wobbet::testing::Learn(window, "zebra quantum");
        std::puts("learned");
        std::fflush(stdout);
        return QApplication::exec();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
