#include "app/qt/conversation_import_task.h"

#include <QFile>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>
#include <utility>

#include "app/import/conversation_file.h"

namespace wobbet {
namespace {

constexpr int kProgressSteps = 1000;
constexpr int kProgressTickMilliseconds = 100;

}  // namespace

ConversationImportTask::ConversationImportTask(ProgramCore& core, QWidget* window)
    : core_(core), window_(window) {
    progressDelay_.setSingleShot(true);
    progressDelay_.setInterval(kProgressDelayMilliseconds);
    progressTick_.setInterval(kProgressTickMilliseconds);
    connect(&progressDelay_, &QTimer::timeout, this, &ConversationImportTask::ShowProgress);
    connect(&progressTick_, &QTimer::timeout, this,
            [this] { progress_->setValue(permille_.load()); });
    connect(&reading_, &QFutureWatcherBase::finished, this, &ConversationImportTask::Apply);
}

ConversationImportTask::~ConversationImportTask() {
    Stop();
}

bool ConversationImportTask::Start(const QString& path) {
    if (Running()) {
        return false;
    }
    cancelled_ = false;
    permille_ = 0;
    const std::string filePath = QFile::encodeName(path).toStdString();
    // Only the engine's text rules are read over there, and the turns never change them.
    const ConversationEngine& engine = core_.Engine();
    reading_.setFuture(QtConcurrent::run([this, filePath, &engine] {
        imported_ = ReadConversationFile(filePath, engine, NativeFileSystem(), [this](double done) {
            permille_ = static_cast<int>(done * kProgressSteps);
            return !cancelled_.load();
        });
    }));
    progressDelay_.start();
    return true;
}

void ConversationImportTask::Stop() {
    cancelled_ = true;
    reading_.waitForFinished();
}

void ConversationImportTask::ShowProgress() {
    if (progress_ == nullptr) {
        progress_ = new QProgressDialog(tr("Reading the conversations..."), tr("Cancel"), 0,
                                        kProgressSteps, window_);
        progress_->setWindowTitle(tr("Import Conversations"));
        progress_->setMinimumDuration(0);
        progress_->setAutoReset(false);
        progress_->setAutoClose(false);
        connect(progress_, &QProgressDialog::canceled, this, [this] { cancelled_ = true; });
    }
    progress_->setValue(permille_.load());
    progress_->show();
    progressTick_.start();
}

void ConversationImportTask::Apply() {
    progressDelay_.stop();
    progressTick_.stop();
    if (progress_ != nullptr) {
        progress_->hide();
    }
    // Taken, so that the records read go once they are added.
    const ImportedConversations imported = std::move(imported_);
    // A cancel pressed as the reading ended still wins.
    if (!cancelled_.load()) {
        core_.ImportConversations(imported);
    }
    emit Finished();
}

}  // namespace wobbet
