#include "agent/desktop/desktop_agent_server.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "agent/agent_link.h"
#include "agent/desktop/character_properties_window.h"
#include "agent/desktop/character_settings.h"
#include "agent/desktop/character_window.h"
#include "agent/desktop/speech_balloon.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

using desktop::DesktopAgentServer;
using desktop::VoiceSettings;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

constexpr const char* kLongText =
    "This is a long reply that goes on and on, so that there is plenty of time to cut it off "
    "before it is over.";

// The server started through the link, as the Qt program starts it, with its settings in a
// temporary folder and no sound device.
class DesktopAgentServerTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    DesktopAgentServer server{{false, folder.filePath("character.ini")}};
    ScriptedRandom random{100, 200};
    AgentLink link{server, random};
    RecordingHost host;
    QStringList requests;

    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        QObject::connect(&server, &DesktopAgentServer::RequestStarted,
                         [this](const QString& request) { requests << request; });
        link.StartAgent();
        ASSERT_EQ(link.AgentStatus(), AgentLink::kReady);
        ASSERT_TRUE(WaitUntilIdle());
        requests.clear();
    }

    void TearDown() override { link.StopAgent(); }

    bool WaitUntilIdle(int milliseconds = 15000) {
        QSignalSpy idle(&server, &DesktopAgentServer::Idle);
        return idle.wait(milliseconds);
    }
};

TEST_F(DesktopAgentServerTest, StartsPlacedShownAndGreeting) {
    EXPECT_TRUE(server.Window()->isVisible());
    // 100 mod (screen height - 144) and 200 mod (screen width - 144) on the offscreen screen.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(server.Window()->pos(),
              QPoint(200 % (screen.width() - 144), 100 % (screen.height() - 144)));
    bool visible = false;
    server.GetVisible(&visible);
    EXPECT_TRUE(visible);
}

TEST_F(DesktopAgentServerTest, RunsATurnsRequestsOneAfterAnother) {
    link.PlayAnimation("Acknowledge");
    link.Display("Fine, thanks.", host);
    link.PlayAnimation("Sad");
    EXPECT_THAT(host.calls, ElementsAre("ShowReply Fine, thanks."));
    EXPECT_EQ(requests, QStringList{"Play Acknowledge"});

    QSignalSpy speaking(&server, &DesktopAgentServer::RequestStarted);
    ASSERT_TRUE(speaking.wait(3000));
    EXPECT_EQ(requests.last(), "Speak Fine, thanks.");
    EXPECT_TRUE(server.Balloon()->isVisible());
    EXPECT_EQ(server.Balloon()->Text(), "Fine, thanks.");
    // The mouth moves with the words.
    double widest = 0.0;
    for (int i = 0; i < 20; ++i) {
        QTest::qWait(40);
        widest = std::max(widest, server.Window()->CurrentPose().mouthOpen);
    }
    EXPECT_GT(widest, 0.2);

    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(requests, (QStringList{"Play Acknowledge", "Speak Fine, thanks.", "Play Sad"}));
    QTest::qWait(1500);
    EXPECT_FALSE(server.Balloon()->isVisible());
}

TEST_F(DesktopAgentServerTest, PrepareCutsOffTheSpeechButKeepsAnimations) {
    link.Display(kLongText, host);
    link.PlayAnimation("Pleased");
    link.Display("Never said.", host);
    QTest::qWait(600);
    ASSERT_EQ(requests.last(), QString("Speak ") + kLongText);

    link.PrepareCharacter();
    EXPECT_EQ(requests.last(), "Play Pleased");
    EXPECT_FALSE(server.Balloon()->isVisible());
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_THAT(requests, Not(Contains("Speak Never said.")));
}

TEST_F(DesktopAgentServerTest, AHiddenCharacterIsShownAgainByTheNextSay) {
    emit server.Window()->HideChosen();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_FALSE(server.Window()->isVisible());
    bool visible = true;
    server.GetVisible(&visible);
    EXPECT_FALSE(visible);

    link.PrepareCharacter();
    link.Display("Back again.", host);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(requests, (QStringList{"Hide", "Show", "Speak Back again."}));
    EXPECT_TRUE(server.Window()->isVisible());
}

TEST_F(DesktopAgentServerTest, IgnoresUnknownAnimations) {
    EXPECT_LT(server.Play("Dance"), 0);
    link.PlayAnimation("greet");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(requests, QStringList{"Play Greet"});
}

TEST_F(DesktopAgentServerTest, PropertiesApplyAtOnceAndAreKept) {
    link.OnCharacters();
    desktop::CharacterPropertiesWindow* properties = server.PropertiesWindow();
    ASSERT_NE(properties, nullptr);
    EXPECT_TRUE(properties->isVisible());
    EXPECT_GT(properties->VoiceBox()->count(), 1);

    properties->SpeedSlider()->setValue(300);
    properties->PitchSlider()->setValue(20);
    EXPECT_EQ(server.Voice()->Settings().rate, 300);
    EXPECT_EQ(server.Voice()->Settings().pitch, 20);
    const QSettings saved(folder.filePath("character.ini"), QSettings::IniFormat);
    EXPECT_EQ(saved.value("voice/rate").toInt(), 300);
    EXPECT_EQ(saved.value("voice/pitch").toInt(), 20);

    properties->TestButton()->click();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(requests, QStringList{"Speak Hello! This is how I sound."});
}

TEST(DesktopCharacterSettings, AreReadBackAndKeptInRange) {
    QTemporaryDir folder;
    const QString file = folder.filePath("wobbet/character.ini");
    EXPECT_EQ(desktop::LoadVoiceSettings(file), VoiceSettings{});
    ASSERT_TRUE(desktop::SaveVoiceSettings(file, {"en-us", 220, 70}));
    EXPECT_EQ(desktop::LoadVoiceSettings(file), (VoiceSettings{"en-us", 220, 70}));

    QFile broken(file);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("[voice]\nname=\nrate=fast\npitch=1000\n\x01\x02garbage");
    broken.close();
    EXPECT_EQ(desktop::LoadVoiceSettings(file), (VoiceSettings{"en", 175, 100}));
}

TEST(DesktopCharacterSettings, AreLoadedWhenTheServerStarts) {
    QTemporaryDir folder;
    ASSERT_TRUE(desktop::SaveVoiceSettings(folder.filePath("character.ini"), {"en-gb", 90, 10}));
    DesktopAgentServer server({false, folder.filePath("character.ini")});
    ScriptedRandom random{0, 0};
    AgentLink link(server, random);
    link.StartAgent();
    EXPECT_EQ(server.Voice()->Settings(), (VoiceSettings{"en-gb", 90, 10}));
    link.StopAgent();
}

TEST(DesktopAgentServerDefaults, KeepTheSettingsInTheUsersConfigFolder) {
    // The tests' main points XDG_CONFIG_HOME at a temporary folder.
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    EXPECT_EQ(desktop::DefaultCharacterSettingsFile(),
              QString::fromLocal8Bit(config) + "/wobbet/character.ini");
}

}  // namespace
}  // namespace wobbet::testing
