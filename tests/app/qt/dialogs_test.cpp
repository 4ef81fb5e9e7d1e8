#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/qt/about_dialog.h"
#include "app/qt/dialog_units.h"
#include "app/qt/input_box.h"
#include "app/qt/main_window.h"
#include "app/qt/teach_dialog.h"
#include "tests/app/qt/modal_dialogs.h"
#include "tests/app/qt/window_under_test.h"

namespace wobbet::testing {
namespace {

// Runs the Teach dialog with handle typing into it from inside its event loop.
TeachDialogResult RunTeach(std::function<void(TeachDialog*)> handle) {
    TeachDialog dialog;
    QTimer::singleShot(0, &dialog, [&dialog, handle] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        handle(&dialog);
    });
    return dialog.Run();
}

TEST(TeachDialogTest, EnterInEitherBoxEndsWithOkAndTheTextsAsTyped) {
    const TeachDialogResult fromPhrase = RunTeach([](TeachDialog* teach) {
        QTest::keyClicks(teach->PhraseBox(), "cars");
        QTest::keyClick(teach->PhraseBox(), Qt::Key_Return);
    });
    EXPECT_EQ(fromPhrase.result, TeachDialogResult::kOk);
    EXPECT_EQ(fromPhrase.phrase, "cars");
    EXPECT_EQ(fromPhrase.reply, "");

    const TeachDialogResult fromReply = RunTeach([](TeachDialog* teach) {
        QTest::keyClicks(teach->PhraseBox(), "  Two  spaces ");
        QTest::keyClicks(teach->ReplyBox(), "first");
        QTest::keyClick(teach->ReplyBox(), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(teach->ReplyBox(), "second");
        QTest::keyClick(teach->ReplyBox(), Qt::Key_Return);
    });
    EXPECT_EQ(fromReply.result, TeachDialogResult::kOk);
    EXPECT_EQ(fromReply.phrase, "  Two  spaces ");
    EXPECT_EQ(fromReply.reply, "first\nsecond");
}

TEST(TeachDialogTest, CancelEscAndTheCloseBoxGiveNothing) {
    const std::vector<std::function<void(TeachDialog*)>> endings = {
        [](TeachDialog* teach) { QTest::mouseClick(teach->CancelButton(), Qt::LeftButton); },
        // Enter presses the push button that has the focus.
        [](TeachDialog* teach) {
            teach->CancelButton()->setFocus();
            QTest::keyClick(teach->CancelButton(), Qt::Key_Return);
        },
        [](TeachDialog* teach) { QTest::keyClick(teach->ReplyBox(), Qt::Key_Escape); },
        [](TeachDialog* teach) { teach->close(); },
    };
    for (const auto& end : endings) {
        const TeachDialogResult result = RunTeach([&end](TeachDialog* teach) {
            QTest::keyClicks(teach->PhraseBox(), "phrase");
            QTest::keyClicks(teach->ReplyBox(), "reply");
            end(teach);
        });
        EXPECT_EQ(result.result, TeachDialogResult::kCancel);
        EXPECT_EQ(result.phrase, "");
        EXPECT_EQ(result.reply, "");
    }
}

TEST(TeachDialogTest, OpensEmptyWithTheFocusInThePhraseBoxAndTabsInOrder) {
    RunTeach([](TeachDialog* teach) {
        EXPECT_TRUE(teach->PhraseBox()->toPlainText().isEmpty());
        EXPECT_TRUE(teach->ReplyBox()->toPlainText().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), teach->PhraseBox());
        for (QWidget* expected :
             {static_cast<QWidget*>(teach->ReplyBox()), static_cast<QWidget*>(teach->OkButton()),
              static_cast<QWidget*>(teach->CancelButton()),
              static_cast<QWidget*>(teach->PhraseBox())}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), expected);
        }
        QStringList labels;
        for (const QLabel* label : teach->findChildren<QLabel*>()) {
            labels << label->text();
        }
        EXPECT_EQ(labels, QStringList({"If you say this:", "I should say this:"}));
        teach->reject();
    });
}

TEST(TeachDialogTest, OpensCentredOnTheMainWindow) {
    WindowUnderTest test;
    test.Open();
    MainWindow& window = test.window;
    ModalDialogs dialogs;
    dialogs.Expect<TeachDialog>([&window](TeachDialog* teach) {
        const QPoint offset = teach->geometry().center() - window.geometry().center();
        EXPECT_LE(offset.manhattanLength(), 2);
        EXPECT_TRUE(teach->isModal());
        teach->reject();
    });
    window.RunTeachDialog();
    EXPECT_EQ(dialogs.Pending(), 0u);
}

TEST(DialogUnitsTest, RoundLikeWindows) {
    // MS Sans Serif 8 measures 6 by 13: the main window is then 365 (364.5) by 140 (139.75).
    const DialogBaseUnits classic{6, 13};
    EXPECT_EQ(classic.ToPixels(243, 86), QSize(365, 140));
    EXPECT_EQ(classic.ToPixels(186, 65, 50, 14), QRect(279, 106, 75, 23));
    EXPECT_EQ(MultiplyDivide(-3, 6, 4), -5);  // -4.5: halves round away from zero
}

// Every control lies inside its window and none covers another, whatever the font measures.
// Each edge is rounded on its own, so controls that touch may share one pixel.
void ExpectTidyLayout(const QWidget& window) {
    const QRect client(QPoint(), window.size());
    const QList<QWidget*> controls = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        if (controls[i]->isWindow()) {
            continue;
        }
        EXPECT_TRUE(client.contains(controls[i]->geometry()))
            << controls[i]->objectName().toStdString();
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            if (!controls[j]->isWindow()) {
                const QRect inner = controls[i]->geometry().adjusted(1, 1, -1, -1);
                EXPECT_FALSE(inner.intersects(controls[j]->geometry()))
                    << controls[i]->metaObject()->className() << " and "
                    << controls[j]->metaObject()->className();
            }
        }
    }
}

TEST(DialogLayoutTest, WindowsAreSizedFromTheirFontAndTidy) {
    const DialogBaseUnits units = DialogBaseUnits::Of(QApplication::font());
    WindowUnderTest test;
    const MainWindow& window = test.window;
    EXPECT_EQ(window.size(), units.ToPixels(243, 86));
    ExpectTidyLayout(window);
    // The reply box above the input box, the buttons in a column to their right.
    EXPECT_LT(window.ReplyBox()->geometry().bottom(), window.Input()->geometry().top());
    for (QWidget* button :
         {static_cast<QWidget*>(window.CharactersButton()),
          static_cast<QWidget*>(window.TeachButton()), static_cast<QWidget*>(window.SayButton())}) {
        EXPECT_GT(button->geometry().left(), window.Input()->geometry().right());
    }

    TeachDialog teach;
    EXPECT_EQ(teach.size(), units.ToPixels(188, 127));
    ExpectTidyLayout(teach);
    AboutDialog about;
    EXPECT_EQ(about.size(), units.ToPixels(235, 55));
    ExpectTidyLayout(about);
}

}  // namespace
}  // namespace wobbet::testing
