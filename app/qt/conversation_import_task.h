#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>

#include "app/core/program_core.h"
#include "engine/conversation_import.h"

class QProgressDialog;
class QWidget;

namespace wobbet {

// Imports a file of conversations without holding up the window: the file is read on another
// thread, and the records it teaches are added on the window's thread once it is read whole.
// A read that takes longer than a moment shows its progress, with Cancel; a cancelled import
// learns nothing. One import runs at a time.
class ConversationImportTask : public QObject {
    Q_OBJECT

public:
    static constexpr int kProgressDelayMilliseconds = 500;

    // The window owns the progress dialog; both must outlive this.
    ConversationImportTask(ProgramCore& core, QWidget* window);
    ~ConversationImportTask() override;

    // Starts importing the file; false when an import is still running.
    bool Start(const QString& path);
    bool Running() const { return reading_.isRunning(); }
    // Cancels an import under way and waits for its reading to end.
    void Stop();

signals:
    void Finished();

private:
    void ShowProgress();
    void Apply();

    ProgramCore& core_;
    QWidget* window_;
    QFutureWatcher<void> reading_;
    // Written by the reading, taken by the window's thread once it has finished.
    ImportedConversations imported_;
    QTimer progressDelay_;
    QTimer progressTick_;
    QProgressDialog* progress_ = nullptr;
    std::atomic<bool> cancelled_ = false;
    std::atomic<int> permille_ = 0;
};

}  // namespace wobbet
