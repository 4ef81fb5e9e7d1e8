#include "app/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <memory>
#include <utility>

#include "app/qt/about_dialog.h"
#include "app/qt/dialog_units.h"
#include "app/qt/engine_text.h"
#include "app/qt/input_box.h"
#include "app/qt/knowledge_window.h"
#include "app/qt/teach_dialog.h"
#include "app/qt/warning_box.h"

namespace wobbet {
namespace {

// Whether Wobbet learns from what is said, kept across starts.
constexpr char kLearningSetting[] = "learning";

QSettings DesktopSettings() {
    return QSettings(QStringLiteral("wobbet"), QStringLiteral("wobbet"));
}

}  // namespace

MainWindow::MainWindow(AgentServerPort& characterServer, std::string knowledgePath,
                       FileSystem& fileSystem)
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      inputBox_(new InputBox(this)),
      sayButton_(new QPushButton(tr("Say"), this)),
      charactersButton_(new QPushButton(tr("&Characters..."), this)),
      teachButton_(new QPushButton(tr("&Teach..."), this)),
      contextCheck_(new QCheckBox(tr("Co&ntext"), this)),
      replyBox_(new QPlainTextEdit(this)),
      forgetAction_(new QAction(tr("&Forget Last Lesson"), this)),
      learningAction_(new QAction(tr("&Learn From Conversation"), this)),
      knowledgeAction_(new QAction(tr("&Knowledge..."), this)),
      mergeAction_(new QAction(tr("&Merge Knowledge File..."), this)),
      importAction_(new QAction(tr("&Import Conversations..."), this)),
      aboutAction_(new QAction(tr("&About Wobbet..."), this)),
      core_(*this, std::move(knowledgePath), &characterServer, textRules_, fileSystem,
            &autosaveDriver_),
      importTask_(core_, this) {
    setWindowTitle(tr("QUIB Wobbet"));

    const DialogBaseUnits units = DialogBaseUnits::Of(font());
    setFixedSize(units.ToPixels(243, 86));
    inputBox_->setGeometry(units.ToPixels(7, 45, 173, 34));
    sayButton_->setGeometry(units.ToPixels(186, 65, 50, 14));
    charactersButton_->setGeometry(units.ToPixels(186, 7, 50, 14));
    teachButton_->setGeometry(units.ToPixels(186, 26, 50, 14));
    contextCheck_->setGeometry(units.ToPixels(191, 45, 40, 14));
    replyBox_->setGeometry(units.ToPixels(7, 7, 173, 33));

    // Read-only and borderless, on the window's own background, yet reachable with Tab so its
    // text can be selected and copied.
    replyBox_->setReadOnly(true);
    replyBox_->setFrameShape(QFrame::NoFrame);
    replyBox_->setFocusPolicy(Qt::StrongFocus);
    replyBox_->setTabChangesFocus(true);
    replyBox_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    replyBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    replyBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette replyPalette = replyBox_->palette();
    replyPalette.setColor(QPalette::Base, replyPalette.color(QPalette::Window));
    replyBox_->setPalette(replyPalette);

    // Enter presses Say from anywhere but another push button.
    sayButton_->setDefault(true);
    setTabOrder(inputBox_, sayButton_);
    setTabOrder(sayButton_, charactersButton_);
    setTabOrder(charactersButton_, teachButton_);
    setTabOrder(teachButton_, contextCheck_);
    setTabOrder(contextCheck_, replyBox_);

    connect(sayButton_, &QPushButton::clicked, this, [this] { core_.Say(); });
    // Back to typing afterwards, whatever the dialog gave: a space must not reopen it.
    connect(teachButton_, &QPushButton::clicked, this, [this] {
        core_.Teach();
        inputBox_->setFocus();
    });
    connect(charactersButton_, &QPushButton::clicked, this, [this] { core_.Characters(); });

    // Window managers have no place for our own items in the window menu, so they live in the
    // window's context menu and on keys. Forgetting has a key that no text box binds, so that
    // undo and redo in the boxes stay theirs.
    forgetAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backspace));
    knowledgeAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
    learningAction_->setCheckable(true);
    learningAction_->setChecked(DesktopSettings().value(kLearningSetting, true).toBool());
    core_.SetLearningEnabled(learningAction_->isChecked());
    addActions({forgetAction_, learningAction_, knowledgeAction_, mergeAction_, importAction_,
                aboutAction_});
    connect(forgetAction_, &QAction::triggered, this, &MainWindow::ForgetLastLesson);
    connect(learningAction_, &QAction::toggled, this, &MainWindow::SetLearning);
    connect(knowledgeAction_, &QAction::triggered, this, &MainWindow::ShowKnowledge);
    connect(mergeAction_, &QAction::triggered, this, &MainWindow::MergeKnowledgeFile);
    connect(importAction_, &QAction::triggered, this, &MainWindow::ImportConversations);
    connect(&importTask_, &ConversationImportTask::Finished, this,
            [this] { importAction_->setEnabled(true); });
    connect(aboutAction_, &QAction::triggered, this, &MainWindow::ShowAbout);
    for (QPlainTextEdit* box : {static_cast<QPlainTextEdit*>(inputBox_), replyBox_}) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint& position) { ShowTextBoxMenu(box, position); });
    }
}

bool MainWindow::Initialize(std::uint32_t seed) {
    if (!core_.Start(seed, kCharacterNotFound)) {
        return false;
    }
    inputBox_->setFocus();
    return true;
}

void MainWindow::ShowCentred() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
}

std::string MainWindow::ReadInput() {
    return ToEngineText(inputBox_->toPlainText());
}

void MainWindow::ClearInput() {
    inputBox_->clear();
    inputBox_->setFocus();
}

bool MainWindow::ContextEnabled() {
    return contextCheck_->isChecked();
}

void MainWindow::SetContextEnabled(bool enabled) {
    contextCheck_->setChecked(enabled);
}

void MainWindow::ShowReply(const std::string& text) {
    replyBox_->setPlainText(FromEngineText(text));
}

void MainWindow::ShowMessage(const std::string& text) {
    // A refused edit is told over the Knowledge window it was made in.
    QWidget* owner = knowledgeWindow_ != nullptr && knowledgeWindow_->isActiveWindow()
                         ? static_cast<QWidget*>(knowledgeWindow_)
                         : this;
    ShowWarningBox(owner, FromEngineText(text));
}

void MainWindow::ShowNotice(const std::string& text) {
    ShowReply(text);
}

void MainWindow::KnowledgeChanged() {
    emit LearnedRecordsChanged();
}

TeachDialogResult MainWindow::RunTeachDialog() {
    TeachDialog dialog(this);
    return dialog.Run();
}

void MainWindow::BringToFront() {
    if (isVisible()) {
        if (isMinimized()) {
            showNormal();
        }
        raise();
        activateWindow();
    }
    // A box open over the window keeps it disabled; bring that box forward with it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

void MainWindow::ShowAbout() {
    AboutDialog dialog(this);
    dialog.exec();
}

void MainWindow::ForgetLastLesson() {
    core_.ForgetLastLesson();
}

void MainWindow::SetLearning(bool enabled) {
    core_.SetLearningEnabled(enabled);
    DesktopSettings().setValue(kLearningSetting, enabled);
}

void MainWindow::ShowKnowledge() {
    if (knowledgeWindow_ == nullptr) {
        knowledgeWindow_ = new KnowledgeWindow(core_, this);
        // After the event that changed the tables, so that an edit ends before the list reloads.
        connect(this, &MainWindow::LearnedRecordsChanged, knowledgeWindow_,
                &KnowledgeWindow::Refresh, Qt::QueuedConnection);
    }
    knowledgeWindow_->show();
    knowledgeWindow_->raise();
    knowledgeWindow_->activateWindow();
}

void MainWindow::MergeKnowledgeFile() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Merge Knowledge File"), QString(),
                                                      tr("Knowledge files (*.dat);;All files (*)"));
    if (!path.isEmpty()) {
        core_.MergeKnowledgeFile(QFile::encodeName(path).toStdString());
    }
}

void MainWindow::ImportConversations() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Import Conversations"), QString(),
        tr("Transcripts (*.txt);;Conversation corpora (*.yml *.yaml);;All files (*)"));
    if (!path.isEmpty() && importTask_.Start(path)) {
        importAction_->setEnabled(false);
    }
}

void MainWindow::done(int result) {
    QDialog::done(result);
    Shutdown();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    AddProgramItems(&menu);
    menu.exec(event->globalPos());
}

void MainWindow::ShowTextBoxMenu(QPlainTextEdit* box, const QPoint& position) {
    std::unique_ptr<QMenu> menu(box->createStandardContextMenu(position));
    menu->addSeparator();
    AddProgramItems(menu.get());
    menu->exec(box->viewport()->mapToGlobal(position));
}

void MainWindow::AddProgramItems(QMenu* menu) {
    menu->addActions({forgetAction_, learningAction_});
    menu->addSeparator();
    menu->addActions({knowledgeAction_, mergeAction_, importAction_});
    menu->addSeparator();
    menu->addAction(aboutAction_);
}

void MainWindow::Shutdown() {
    if (core_.HasShutDown()) {
        return;
    }
    if (knowledgeWindow_ != nullptr) {
        knowledgeWindow_->close();
    }
    importTask_.Stop();
    core_.Shutdown();
    emit Closed();
}

}  // namespace wobbet
