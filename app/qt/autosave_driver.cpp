#include "app/qt/autosave_driver.h"

#include <QtConcurrent/QtConcurrentRun>
#include <utility>

namespace wobbet {

QtAutosaveDriver::QtAutosaveDriver() {
    delay_.setSingleShot(true);
    connect(&delay_, &QTimer::timeout, this, [this] { std::exchange(elapsed_, {})(); });
    connect(&saving_, &QFutureWatcherBase::finished, this, [this] {
        // Unless WaitForSave has taken the result already.
        if (finished_) {
            std::exchange(finished_, {})(saving_.result());
        }
    });
}

QtAutosaveDriver::~QtAutosaveDriver() {
    saving_.waitForFinished();
}

void QtAutosaveDriver::StartDelay(std::chrono::milliseconds delay, std::function<void()> elapsed) {
    elapsed_ = std::move(elapsed);
    delay_.start(delay);
}

void QtAutosaveDriver::CancelDelay() {
    delay_.stop();
    elapsed_ = {};
}

void QtAutosaveDriver::StartSave(std::function<std::string()> save,
                                 std::function<void(std::string)> finished) {
    finished_ = std::move(finished);
    saving_.setFuture(QtConcurrent::run(std::move(save)));
}

std::optional<std::string> QtAutosaveDriver::WaitForSave() {
    if (!finished_) {
        return std::nullopt;
    }
    finished_ = {};
    saving_.waitForFinished();
    return saving_.result();
}

}  // namespace wobbet
