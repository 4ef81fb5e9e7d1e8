#include "agent/desktop/character_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "agent/desktop/character_painter.h"
#include "agent/desktop/character_pose.h"

namespace wobbet::testing {
namespace {

using desktop::CharacterAnimation;
using desktop::CharacterAnimations;
using desktop::CharacterPose;
using desktop::CharacterWindow;
using desktop::FindCharacterAnimation;

// The alpha of the image at a point, 0 for a transparent pixel.
int AlphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y));
}

// How many pixels differ clearly between two images of the same size.
int PixelsApart(const QImage& a, const QImage& b) {
    int apart = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                    std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q)) >
                60) {
                ++apart;
            }
        }
    }
    return apart;
}

QImage Render(const CharacterPose& pose) {
    return desktop::RenderCharacter(pose, CharacterWindow::kSide);
}

class CharacterWindowTest : public ::testing::Test {
protected:
    CharacterWindow window;

    void SetUp() override {
        window.move(100, 100);
        window.show();
    }

    // Plays the animation and waits for its report; the name reported, or "" after a timeout.
    QString PlayToTheEnd(const CharacterAnimation& animation) {
        QSignalSpy finished(&window, &CharacterWindow::AnimationFinished);
        window.Play(animation);
        if (!finished.wait(animation.milliseconds + 3000)) {
            return {};
        }
        return finished.takeFirst().at(0).toString();
    }
};

TEST_F(CharacterWindowTest, RunsEachAnimationToItsEndAndReportsIt) {
    for (const CharacterAnimation& animation : CharacterAnimations()) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(PlayToTheEnd(animation), QString::fromStdString(animation.name));
        EXPECT_GE(clock.elapsed(), animation.milliseconds - CharacterWindow::kFrameMilliseconds)
            << animation.name;
        EXPECT_FALSE(window.Animating());
    }
}

TEST_F(CharacterWindowTest, ANewAnimationReplacesThePlayingOneWhichNeverReports) {
    QSignalSpy finished(&window, &CharacterWindow::AnimationFinished);
    window.Play(*FindCharacterAnimation("Sad"));
    window.Play(*FindCharacterAnimation("Acknowledge"));
    ASSERT_TRUE(finished.wait(4000));
    QTest::qWait(1500);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.at(0).at(0).toString(), "Acknowledge");

    window.Play(*FindCharacterAnimation("Greet"));
    window.StopAnimation();
    EXPECT_FALSE(finished.wait(2500));
}

TEST_F(CharacterWindowTest, FinishesAnAnimationEvenWhileHidden) {
    window.hide();
    EXPECT_EQ(PlayToTheEnd(*FindCharacterAnimation("Acknowledge")), "Acknowledge");
}

TEST_F(CharacterWindowTest, OpensAndClosesTheMouthForEachWord) {
    QTest::qWait(50);
    EXPECT_EQ(window.CurrentPose().mouthOpen, 0.0);
    window.SayWord();
    QTest::qWait(100);
    EXPECT_GT(window.CurrentPose().mouthOpen, 0.3);
    QTest::qWait(250);
    EXPECT_EQ(window.CurrentPose().mouthOpen, 0.0);
}

TEST_F(CharacterWindowTest, IsDrawnOnATransparentWindow) {
    QTest::qWait(100);
    const QImage shot = window.grab().toImage();
    EXPECT_EQ(AlphaAt(shot, 1, 1), 0);
    EXPECT_EQ(AlphaAt(shot, shot.width() - 2, 1), 0);
    EXPECT_EQ(AlphaAt(shot, shot.width() / 2, shot.height() / 2), 255);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    shot.save("character-window.png");
}

TEST_F(CharacterWindowTest, CanBeDraggedAbout) {
    QSignalSpy dragged(&window, &CharacterWindow::Dragged);
    const QPoint start = window.pos();
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(70, 70));
    QMouseEvent move(QEvent::MouseMove, QPointF(70, 70),
                     QPointF(window.mapToGlobal(QPoint(110, 90))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&window, &move);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(110, 90));
    EXPECT_EQ(window.pos(), start + QPoint(40, 20));
    EXPECT_EQ(dragged.size(), 1);
}

TEST_F(CharacterWindowTest, ContextMenuOffersHide) {
    QSignalSpy hide(&window, &CharacterWindow::HideChosen);
    QTimer::singleShot(100, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_FALSE(menu->actions().isEmpty());
        EXPECT_EQ(menu->actions().first()->text(), "&Hide");
        menu->setActiveAction(menu->actions().first());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(70, 70),
                            window.mapToGlobal(QPoint(70, 70)));
    QApplication::sendEvent(&window, &event);
    EXPECT_EQ(hide.size(), 1);
}

TEST(CharacterAnimations, AreFoundByNameInAnyCaseAndOnlyThen) {
    for (const char* name : {"Show", "Hide", "Greet", "Acknowledge", "Pleased", "Sad"}) {
        ASSERT_NE(FindCharacterAnimation(name), nullptr) << name;
    }
    EXPECT_EQ(FindCharacterAnimation("gREET"), FindCharacterAnimation("Greet"));
    EXPECT_EQ(FindCharacterAnimation("Dance"), nullptr);
    EXPECT_EQ(FindCharacterAnimation(""), nullptr);
    EXPECT_EQ(FindCharacterAnimation("Greeting"), nullptr);
}

TEST(CharacterAnimations, StartAndEndAtRestExceptShowAndHide) {
    const QImage rest = Render(CharacterPose{});
    for (const CharacterAnimation& animation : CharacterAnimations()) {
        const QImage first = Render(animation.poseAt(0.0));
        const QImage last = Render(animation.poseAt(1.0));
        if (animation.name == "Show") {
            EXPECT_EQ(PixelsApart(first, QImage(first.size(), first.format())), 0);
            EXPECT_LT(PixelsApart(last, rest), 40) << "Show ends at rest";
        } else if (animation.name == "Hide") {
            EXPECT_LT(PixelsApart(first, rest), 40) << "Hide starts at rest";
            EXPECT_EQ(AlphaAt(last, last.width() / 2, last.height() / 2), 0) << "Hide ends gone";
        } else {
            EXPECT_LT(PixelsApart(first, rest), 40) << animation.name;
            EXPECT_LT(PixelsApart(last, rest), 40) << animation.name;
        }
    }
}

// Each animation looks like itself halfway through: clearly unlike rest and unlike the others.
TEST(CharacterAnimations, AreEachRecognisableOnTheirOwn) {
    std::vector<QImage> middles;
    const QImage rest = Render(CharacterPose{});
    for (const CharacterAnimation& animation : CharacterAnimations()) {
        if (animation.name == "Show" || animation.name == "Hide") {
            continue;
        }
        middles.push_back(Render(animation.poseAt(0.35)));
        EXPECT_GT(PixelsApart(middles.back(), rest), 400) << animation.name;
    }
    for (std::size_t i = 0; i < middles.size(); ++i) {
        for (std::size_t j = i + 1; j < middles.size(); ++j) {
            EXPECT_GT(PixelsApart(middles[i], middles[j]), 400) << i << " and " << j;
        }
    }
    const CharacterPose greet = FindCharacterAnimation("Greet")->poseAt(0.5);
    EXPECT_GT(greet.rightArm, 100.0) << "a hand raised to wave";
    const CharacterPose sad = FindCharacterAnimation("Sad")->poseAt(0.5);
    EXPECT_LT(sad.smile, 0.0);
    EXPECT_GT(sad.tear, 0.0);
    const CharacterPose pleased = FindCharacterAnimation("Pleased")->poseAt(0.25);
    EXPECT_GT(pleased.hop, 0.1);
    EXPECT_GT(pleased.smile, 0.9);
    double deepestNod = 0.0;
    for (double t = 0.0; t <= 1.0; t += 0.05) {
        deepestNod = std::max(deepestNod, FindCharacterAnimation("Acknowledge")->poseAt(t).nod);
    }
    EXPECT_GT(deepestNod, 0.8);
}

// For people to look at: every frame of every animation, and one sheet per animation.
TEST(CharacterAnimations, SaveTheirFramesAsPictures) {
    const int side = CharacterWindow::kSide;
    for (const CharacterAnimation& animation : CharacterAnimations()) {
        const QString folder =
            QStringLiteral("character-frames/") + QString::fromStdString(animation.name);
        ASSERT_TRUE(QDir().mkpath(folder));
        const int frames = animation.milliseconds / CharacterWindow::kFrameMilliseconds + 1;
        QImage sheet(side * 10, side * ((frames + 9) / 10), QImage::Format_ARGB32_Premultiplied);
        sheet.fill(QColor(236, 236, 226));
        QPainter painter(&sheet);
        for (int frame = 0; frame < frames; ++frame) {
            const CharacterPose pose =
                animation.PoseAtTime(frame * CharacterWindow::kFrameMilliseconds);
            ASSERT_TRUE(Render(pose).save(
                QStringLiteral("%1/frame-%2.png").arg(folder).arg(frame, 3, 10, QLatin1Char('0'))));
            painter.save();
            painter.translate((frame % 10) * side, (frame / 10) * side);
            desktop::PaintCharacter(painter, pose, side);
            painter.restore();
        }
        painter.end();
        ASSERT_TRUE(sheet.save(folder + QStringLiteral("-sheet.png")));
    }
}

}  // namespace
}  // namespace wobbet::testing
