#include "app/qt/knowledge_window.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <memory>
#include <new>

#include "app/qt/engine_text.h"
#include "app/qt/knowledge_model.h"
#include "app/qt/warning_box.h"
#include "engine/learned_records.h"

namespace wobbet {

KnowledgeWindow::KnowledgeWindow(ProgramCore& core, QWidget* parent)
    : QWidget(parent, Qt::Window),
      core_(core),
      filterBox_(new QLineEdit(this)),
      table_(new QTableView(this)),
      model_(new KnowledgeModel(core, this)) {
    filterBox_->setPlaceholderText(tr("Filter: words in any column"));
    filterBox_->setClearButtonEnabled(true);
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setWordWrap(false);
    // Rows of one height and no row numbers: nothing the view does scales with the records.
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(KnowledgeModel::kReply, 260);
    table_->setColumnWidth(KnowledgeModel::kKeywords, 160);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filterBox_);
    layout->addWidget(table_);
    resize(640, 400);

    filterDelay_.setSingleShot(true);
    filterDelay_.setInterval(kFilterDelayMilliseconds);
    connect(filterBox_, &QLineEdit::textChanged, &filterDelay_, qOverload<>(&QTimer::start));
    connect(&filterDelay_, &QTimer::timeout, this, &KnowledgeWindow::StartFilter);
    connect(&filtering_, &QFutureWatcherBase::finished, this, &KnowledgeWindow::FilterFinished);
    auto* deleteKey =
        new QShortcut(QKeySequence::Delete, table_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &KnowledgeWindow::DeleteSelected);
    // A cell being edited takes Esc for itself first.
    auto* closeAction = new QAction(this);
    closeAction->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    addAction(closeAction);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    ShowCount();
}

KnowledgeWindow::~KnowledgeWindow() {
    // The filter reads the core's text rules.
    filtering_.waitForFinished();
}

void KnowledgeWindow::Refresh() {
    model_->Refresh();
    ShowCount();
    // A lesson or an edit may change what the filter matches.
    if (model_->Filtered()) {
        StartFilter();
    }
}

void KnowledgeWindow::StartFilter() {
    if (filterRunning_) {
        filterAgain_ = true;
        return;
    }
    const std::string filter = ToEngineText(filterBox_->text().simplified());
    if (filter.empty()) {
        model_->ShowOnly(std::nullopt);
        ShowCount();
        return;
    }
    std::shared_ptr<const KnowledgeBase> snapshot;
    try {
        snapshot = core_.Snapshot();
    } catch (const std::bad_alloc&) {
        // Without room for a copy, filter the tables themselves, here.
        std::vector<std::uint32_t> serials;
        const KnowledgeBase& knowledge = core_.Engine().Knowledge();
        for (const std::size_t record :
             FilterLearnedRecords(knowledge, filter, core_.Engine().Rules())) {
            serials.push_back(knowledge.SerialOf(record));
        }
        model_->ShowOnly(std::move(serials));
        ShowCount();
        return;
    }
    filterRunning_ = true;
    // The filter lets go of the snapshot before its result comes back, so that a filter started
    // then, after a change, copies the tables over it rather than into fresh memory.
    filtering_.setFuture(QtConcurrent::run(
        [snapshot = std::move(snapshot), filter, &rules = core_.Engine().Rules()]() mutable {
            std::vector<std::uint32_t> serials;
            for (const std::size_t record : FilterLearnedRecords(*snapshot, filter, rules)) {
                serials.push_back(snapshot->SerialOf(record));
            }
            snapshot.reset();
            return serials;
        }));
}

void KnowledgeWindow::FilterFinished() {
    filterRunning_ = false;
    if (filterAgain_) {
        filterAgain_ = false;
        StartFilter();
        return;
    }
    model_->ShowOnly(filtering_.result());
    ShowCount();
}

void KnowledgeWindow::DeleteSelected() {
    std::vector<std::size_t> records;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        if (const std::optional<std::size_t> record = model_->RecordAt(index.row())) {
            records.push_back(*record);
        }
    }
    // Ctrl+A then Del must not empty the tables by accident.
    if (records.size() > 1) {
        QMessageBox question(QMessageBox::Question, ProgramTitle(),
                             tr("Delete %1 records?")
                                 .arg(QLocale().toString(static_cast<qulonglong>(records.size()))),
                             QMessageBox::Yes | QMessageBox::No, this);
        question.setDefaultButton(QMessageBox::No);
        question.setWindowModality(Qt::WindowModal);
        if (question.exec() != QMessageBox::Yes) {
            return;
        }
    }
    core_.DeleteRecords(records);
}

void KnowledgeWindow::ShowCount() {
    const std::size_t learned = model_->LearnedCount();
    const auto count = QLocale().toString(static_cast<qulonglong>(learned));
    if (model_->Filtered()) {
        setWindowTitle(
            tr("Knowledge (%1 of %2 records)").arg(QLocale().toString(model_->rowCount()), count));
    } else {
        setWindowTitle(learned == 1 ? tr("Knowledge (1 record)")
                                    : tr("Knowledge (%1 records)").arg(count));
    }
}

}  // namespace wobbet
