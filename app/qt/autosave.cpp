#include "app/qt/autosave.h"

#include <QtConcurrent/QtConcurrentRun>
#include <new>

#include "app/qt/engine_text.h"
#include "app/qt/warning_box.h"
#include "storage/knowledge_file.h"

namespace wobbet {

Autosave::Autosave(ProgramCore& core, QWidget* window) : core_(core), window_(window) {
    delay_.setSingleShot(true);
    delay_.setInterval(kDelayMilliseconds);
    connect(&delay_, &QTimer::timeout, this, &Autosave::Start);
    connect(&saving_, &QFutureWatcherBase::finished, this, &Autosave::Finished);
}

Autosave::~Autosave() {
    Stop();
}

void Autosave::Schedule() {
    // A knowledge file that was not read whole is never written.
    if (stopped_ || core_.File().NoSave()) {
        return;
    }
    if (saving_.isRunning()) {
        again_ = true;
    } else if (!delay_.isActive()) {
        delay_.start();
    }
}

void Autosave::Stop() {
    stopped_ = true;
    delay_.stop();
    saving_.waitForFinished();
}

void Autosave::Start() {
    try {
        snapshot_ = core_.Engine().Knowledge();
    } catch (const std::bad_alloc&) {
        // No room for a copy: the save at close still writes the tables themselves.
        return;
    }
    saving_.setFuture(QtConcurrent::run([this] { return core_.File().Save(snapshot_); }));
}

void Autosave::Finished() {
    if (stopped_) {
        return;
    }
    const std::string message = saving_.result();
    if (message.empty()) {
        warned_ = false;
    } else if (!warned_) {
        warned_ = true;
        ShowWarningBox(window_, FromEngineText(message));
    }
    if (again_) {
        again_ = false;
        delay_.start();
    }
}

}  // namespace wobbet
