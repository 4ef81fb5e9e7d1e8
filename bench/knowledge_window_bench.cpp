// Prints how the desktop program behaves with a large knowledge file: reading it at start, and
// its Knowledge window and background save: opening, scrolling, filtering and deleting, and the
// longest the window's event loop went without turning (what a user feels as a stall) while each
// ran, the memory resident after each, and the process's peak at the end.
//
//   knowledge_window_bench                  1M learned records
//   knowledge_window_bench --records N      N learned records

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string_view>

#include "app/core/program_core.h"
#include "app/qt/autosave_driver.h"
#include "app/qt/knowledge_model.h"
#include "app/qt/knowledge_window.h"
#include "app/unicode_text/unicode_text_rules.h"
#include "bench/bench_support.h"
#include "bench/generated_knowledge.h"
#include "storage/knowledge_file.h"

namespace wobbet::bench {
namespace {

class SilentWindow : public ShellWindow {
public:
    std::string ReadInput() override { return {}; }
    void ClearInput() override {}
    bool ContextEnabled() override { return true; }
    void SetContextEnabled(bool) override {}
    void ShowReply(const std::string&) override {}
    void ShowMessage(const std::string& text) override {
        std::printf("message: %s\n", text.c_str());
    }
    TeachDialogResult RunTeachDialog() override { return {}; }
};

// Runs `step` and then the event loop until `done`, and prints the whole time and the longest
// gap between two turns of the loop, as measured by a timer asking for a turn every millisecond.
void Measure(
    const char* what, const std::function<void()>& step,
    const std::function<bool()>& done = [] { return true; }) {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.nsecsElapsed() - last);
        last = clock.nsecsElapsed();
    });
    ticks.start(1);
    clock.start();
    step();
    longest = std::max(longest, clock.nsecsElapsed() - last);
    last = clock.nsecsElapsed();
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    QCoreApplication::processEvents();
    longest = std::max(longest, clock.nsecsElapsed() - last);
    std::printf("%-42s %9.1f ms in all, longest stall %7.1f ms, %6.1f MiB resident\n", what,
                static_cast<double>(clock.nsecsElapsed()) / 1e6, static_cast<double>(longest) / 1e6,
                StatusMiB("VmRSS:"));
}

void Run(std::size_t records) {
    const QString path = QDir::temp().filePath(QStringLiteral("wobbet-window-bench.dat"));
    QFile::remove(path);
    SilentWindow shell;
    QtAutosaveDriver autosave;
    const UnicodeTextRules rules;
    KnowledgeGenerator generator(20240601);
    {
        // The program reads its records from the file, as it does at every start.
        KnowledgeBase generated;
        generated.LoadSeedTables();
        generator.AppendRecords(&generated, records);
        KnowledgeFile file(path.toStdString());
        if (const std::string message = file.Save(generated); !message.empty()) {
            std::printf("message: %s\n", message.c_str());
        }
    }
    ProgramCore core(shell, path.toStdString(), nullptr, rules, NativeFileSystem(), &autosave);
    Measure("start, reading the file", [&] { core.Start(1, {}); });
    std::printf("%zu learned records\n",
                core.Engine().Knowledge().ResponseCount() - kSeedResponseCount);
    // Each autosave below is seen by the file coming back.
    QFile::remove(path);

    KnowledgeWindow* window = nullptr;
    Measure("open the Knowledge window", [&] {
        window = new KnowledgeWindow(core, nullptr);
        window->show();
        window->grab();
    });
    QScrollBar* scroll = window->Table()->verticalScrollBar();
    Measure("scroll: 20 jumps across the list", [&] {
        for (int jump = 0; jump < 20; ++jump) {
            scroll->setValue(scroll->maximum() / 20 * jump);
            window->Table()->viewport()->grab();
        }
    });
    for (const std::string& word : {generator.WordOfRank(0), generator.WordOfRank(20000)}) {
        Measure(("filter \"" + word + "\" to its result").c_str(),
                [&] { window->FilterBox()->setText(QString::fromStdString(word)); },
                [&] { return !window->Filtering(); });
    }
    Measure(
        "clear the filter", [&] { window->FilterBox()->clear(); },
        [&] { return !window->Filtering(); });
    Measure("select 1,000 rows and press Del", [&] {
        window->Table()->setFocus();
        window->Table()->selectionModel()->select(
            QItemSelection(window->Model()->index(5000, 0), window->Model()->index(5999, 2)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        // Deleting several records asks first: answer Yes once the question is up.
        QTimer::singleShot(0, [] {
            if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question->button(QMessageBox::Yes)->click();
            }
        });
        QTest::keyClick(window->Table(), Qt::Key_Delete);
    });
    // The delete's autosave, its delay included.
    Measure(
        "autosave: snapshot here, write elsewhere", [] {}, [&] { return QFile::exists(path); });
    // The next snapshot is copied over the last one.
    QFile::remove(path);
    Measure(
        "  again after a delete",
        [&] {
            const std::size_t newest[] = {core.Engine().Knowledge().ResponseCount() - 1};
            core.DeleteRecords(newest);
        },
        [&] { return QFile::exists(path); });
    delete window;
    QFile::remove(path);
    std::printf("peak resident memory %.1f MiB\n", StatusMiB("VmHWM:"));
}

}  // namespace
}  // namespace wobbet::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const std::optional<std::size_t> records = wobbet::bench::RecordCount(argc, argv);
    if (!records) {
        return 2;
    }
    wobbet::bench::Run(*records);
    return 0;
}
