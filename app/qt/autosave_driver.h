#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

#include "app/core/autosave.h"

namespace wobbet {

// The autosave's clock is a timer of the window's loop, and its saves run in Qt's thread pool,
// so that the window goes on answering while a large file is written.
class QtAutosaveDriver final : public QObject, public AutosaveDriver {
    Q_OBJECT

public:
    QtAutosaveDriver();
    ~QtAutosaveDriver() override;

    void StartDelay(std::chrono::milliseconds delay, std::function<void()> elapsed) override;
    void CancelDelay() override;
    void StartSave(std::function<std::string()> save,
                   std::function<void(std::string)> finished) override;
    std::optional<std::string> WaitForSave() override;

private:
    QTimer delay_;
    std::function<void()> elapsed_;
    QFutureWatcher<std::string> saving_;
    // Set while a save runs, or has run and its result is still to be handed over.
    std::function<void(std::string)> finished_;
};

}  // namespace wobbet
