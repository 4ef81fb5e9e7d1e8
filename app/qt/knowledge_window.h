#pragma once

#include <QFutureWatcher>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "app/core/program_core.h"

class QLineEdit;
class QTableView;

namespace wobbet {

class KnowledgeModel;

// What Wobbet learned, in a window of its own beside the conversation: a filter box over a table
// of the learned records, newest first, with the count in the title. Del deletes the selected
// records, after asking when there are several; a double click or F2 edits a reply or a record's
// keywords in place. Esc and Ctrl+W close it.
class KnowledgeWindow : public QWidget {
    Q_OBJECT

public:
    // Typing in the filter box waits this long for the next key before filtering.
    static constexpr int kFilterDelayMilliseconds = 150;

    KnowledgeWindow(ProgramCore& core, QWidget* parent);
    ~KnowledgeWindow() override;

    QLineEdit* FilterBox() const { return filterBox_; }
    QTableView* Table() const { return table_; }
    KnowledgeModel* Model() const { return model_; }
    // Whether a filter is still being worked out.
    bool Filtering() const { return filterRunning_ || filterDelay_.isActive(); }

public slots:
    // The learned records changed: a lesson, a forget, an edit, a delete or a merge.
    void Refresh();

private:
    // Filters the core's snapshot of the tables on another thread, so that a million records do not
    // stall the window; the conversation may change the tables meanwhile.
    void StartFilter();
    void FilterFinished();
    void DeleteSelected();
    void ShowCount();

    ProgramCore& core_;
    QLineEdit* filterBox_;
    QTableView* table_;
    KnowledgeModel* model_;
    QTimer filterDelay_;
    QFutureWatcher<std::vector<std::uint32_t>> filtering_;
    // Until its result has come back to this thread.
    bool filterRunning_ = false;
    // The filter or the tables changed while a filter ran: its result is already out of date.
    bool filterAgain_ = false;
};

}  // namespace wobbet
