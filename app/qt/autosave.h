#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>
#include <string>

#include "app/core/program_core.h"
#include "engine/knowledge_base.h"

class QWidget;

namespace wobbet {

// Saves what was learned a few seconds after each change, so that a crash loses little. The
// tables are copied here, on the window's thread, and the copy is written on another thread
// with the same atomic save as at close. One save runs at a time; a change during a save is
// saved after it. A failed save warns once until a save succeeds again.
class Autosave : public QObject {
    Q_OBJECT

public:
    static constexpr int kDelayMilliseconds = 2000;

    // The window owns the warning box; both must outlive this.
    Autosave(ProgramCore& core, QWidget* window);
    ~Autosave() override;

    // The learned records changed.
    void Schedule();
    // Waits for a save under way and makes no more: the program's final save comes next.
    void Stop();

private:
    void Start();
    void Finished();

    ProgramCore& core_;
    QWidget* window_;
    QTimer delay_;
    KnowledgeBase snapshot_;
    QFutureWatcher<std::string> saving_;
    bool again_ = false;
    bool warned_ = false;
    bool stopped_ = false;
};

}  // namespace wobbet
