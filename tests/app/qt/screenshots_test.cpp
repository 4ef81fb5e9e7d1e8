// Pictures of the windows for people to look at, written under the build tree.
#include <gtest/gtest.h>

#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/qt/about_dialog.h"
#include "app/qt/input_box.h"
#include "app/qt/main_window.h"
#include "app/qt/teach_dialog.h"
#include "tests/app/qt/modal_dialogs.h"
#include "tests/app/qt/window_under_test.h"

namespace wobbet::testing {
namespace {

void Save(QWidget* window, const QString& name) {
    const QDir directory(QStringLiteral(WOBBET_SCREENSHOT_DIR));
    ASSERT_TRUE(directory.mkpath(QStringLiteral(".")));
    const QString file = directory.filePath(name + QStringLiteral(".png"));
    EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
}

TEST(Screenshots, MainWindowTeachAndAbout) {
    WindowUnderTest test;
    test.Open();
    MainWindow& window = test.window;
    ScriptedRandom& random = test.random;
    random.PushRepeated(0, 7);
    random.Push(RandomGenerator::kMax);
    QTest::keyClicks(window.Input(), "hello");
    QTest::keyClick(window.Input(), Qt::Key_Return);
    QTest::keyClicks(window.Input(), "What does Quib stand for?");
    Save(&window, QStringLiteral("main-window"));

    ModalDialogs dialogs;
    dialogs.Expect<TeachDialog>([](TeachDialog* teach) {
        QTest::keyClicks(teach->PhraseBox(), "What colour is the sky?");
        QTest::keyClicks(teach->ReplyBox(), "Blue, mostly.");
        Save(teach, QStringLiteral("teach-dialog"));
        teach->reject();
    });
    dialogs.Expect<AboutDialog>([](AboutDialog* about) {
        Save(about, QStringLiteral("about-box"));
        about->reject();
    });
    window.RunTeachDialog();
    window.ShowAbout();
    EXPECT_EQ(dialogs.Pending(), 0u);
}

}  // namespace
}  // namespace wobbet::testing
