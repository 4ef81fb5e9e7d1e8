#include "app/qt/single_instance.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace wobbet::testing {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir directory;
};

TEST_F(SingleInstanceTest, OnlyTheFirstCopyClaimsAndALaterOneActivatesIt) {
    SingleInstance first(directory.path());
    SingleInstance second(directory.path());
    ASSERT_TRUE(first.Claim());
    EXPECT_FALSE(second.Claim());

    QSignalSpy activated(&first, &SingleInstance::ActivationRequested);
    EXPECT_TRUE(second.ActivateRunningCopy(2000));
    EXPECT_TRUE(activated.wait(2000));
    EXPECT_EQ(activated.count(), 1);
}

TEST_F(SingleInstanceTest, TheNextCopyClaimsOnceTheFirstHasEnded) {
    {
        SingleInstance first(directory.path());
        ASSERT_TRUE(first.Claim());
    }
    SingleInstance next(directory.path());
    EXPECT_TRUE(next.Claim());
}

TEST_F(SingleInstanceTest, ASocketLeftBehindDoesNotStopTheNextStart) {
    SingleInstance first(directory.path());
    QFile leftover(first.SocketPath());
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();

    ASSERT_TRUE(first.Claim());
    SingleInstance second(directory.path());
    QSignalSpy activated(&first, &SingleInstance::ActivationRequested);
    EXPECT_TRUE(second.ActivateRunningCopy(2000));
    EXPECT_TRUE(activated.wait(2000));
}

TEST_F(SingleInstanceTest, WithNobodyListeningALaterCopyGivesUpInTime) {
    SingleInstance nobody(directory.path());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(nobody.ActivateRunningCopy(300));
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(SingleInstanceTest, OtherTrafficOnTheSocketIsIgnored) {
    SingleInstance first(directory.path());
    ASSERT_TRUE(first.Claim());
    QSignalSpy activated(&first, &SingleInstance::ActivationRequested);
    QLocalSocket stranger;
    stranger.connectToServer(first.SocketPath());
    ASSERT_TRUE(stranger.waitForConnected(2000));
    stranger.write("hello\n");
    ASSERT_TRUE(stranger.waitForBytesWritten(2000));
    EXPECT_FALSE(activated.wait(300));
}

}  // namespace
}  // namespace wobbet::testing
