#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/qt/main_window.h"
#include "storage/knowledge_file.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {

// The main window over scripted draws, with its knowledge file in a directory of its own.
class WindowUnderTest {
public:
    QTemporaryDir directory;
    ScriptedRandom random;
    KnowledgeFile knowledgeFile{directory.filePath(QStringLiteral("Wobbet.dat")).toStdString()};
    MainWindow window{random, knowledgeFile};

    // Runs the start-up steps and shows the window, active, as the program does.
    void Open() {
        window.Initialize(0);
        window.ShowCentred();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
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
