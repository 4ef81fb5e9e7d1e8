#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include "agent/agent_link.h"
#include "app/qt/input_box.h"
#include "app/qt/main_window.h"
#include "storage/knowledge_file.h"
#include "tests/support/fake_agent_server.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {

inline constexpr int kSeedGroups = 7;

// The main window over scripted draws and a recording character server, with its knowledge file
// in a directory of its own on a disk that can be made to fail.
class WindowUnderTest {
public:
    QTemporaryDir directory;
    ScriptedRandom random;
    FaultyFileSystem disk;
    KnowledgeFile knowledgeFile{directory.filePath(QStringLiteral("Wobbet.dat")).toStdString(),
                                disk};
    FakeAgentServer server;
    AgentLink character{server, random};
    MainWindow window{random, knowledgeFile, character};

    // Runs the start-up steps and shows the window, active, as the program does. A character that
    // starts takes the first two draws for its place.
    void Open() {
        if (server.failAt.empty()) {
            random.Push(100);
            random.Push(200);
        }
        window.Initialize(0);
        window.ShowCentred();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QString Reply() const { return window.ReplyBox()->toPlainText(); }

    // Scripts one turn: a tie value per keyword group, then the learn draw.
    void ScriptTurn(int groups, int learnDraw) {
        random.PushRepeated(0, static_cast<std::size_t>(groups));
        random.Push(learnDraw);
    }

    void TypeAndPressEnter(const QString& text) {
        QTest::keyClicks(window.Input(), text);
        QTest::keyClick(window.Input(), Qt::Key_Return);
    }

    QString KnowledgePath() const { return QString::fromStdString(knowledgeFile.Path()); }

    void WriteKnowledge(const QByteArray& bytes) const {
        QFile file(KnowledgePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // The file's bytes, or nothing when it does not exist.
    QByteArray ReadKnowledge() const {
        QFile file(KnowledgePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

}  // namespace wobbet::testing
