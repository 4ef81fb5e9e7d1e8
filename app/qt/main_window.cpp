#include "app/qt/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <memory>
#include <utility>

#include "app/qt/about_dialog.h"
#include "app/qt/dialog_units.h"
#include "app/qt/engine_text.h"
#include "app/qt/input_box.h"
#include "app/qt/teach_dialog.h"
#include "app/qt/warning_box.h"

namespace wobbet {

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
      core_(*this, std::move(knowledgePath), &characterServer, fileSystem) {
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
    connect(teachButton_, &QPushButton::clicked, this, [this] { core_.Teach(); });
    connect(charactersButton_, &QPushButton::clicked, this, [this] { core_.Characters(); });

    // Window managers have no place for our own item in the window menu, so About lives in the
    // window's context menu and on F1.
    auto* aboutKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(aboutKey, &QShortcut::activated, this, &MainWindow::ShowAbout);
    for (QPlainTextEdit* box : {static_cast<QPlainTextEdit*>(inputBox_), replyBox_}) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint& position) { ShowTextBoxMenu(box, position); });
    }
}

void MainWindow::Initialize(std::uint32_t seed) {
    core_.Start(seed, kCharacterNotFound);
    inputBox_->setFocus();
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
    ShowWarningBox(this, FromEngineText(text));
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

void MainWindow::done(int result) {
    QDialog::done(result);
    Shutdown();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(tr("&About Wobbet..."), this, &MainWindow::ShowAbout);
    menu.exec(event->globalPos());
}

void MainWindow::ShowTextBoxMenu(QPlainTextEdit* box, const QPoint& position) {
    std::unique_ptr<QMenu> menu(box->createStandardContextMenu(position));
    menu->addSeparator();
    menu->addAction(tr("&About Wobbet..."), this, &MainWindow::ShowAbout);
    menu->exec(box->viewport()->mapToGlobal(position));
}

void MainWindow::Shutdown() {
    if (core_.HasShutDown()) {
        return;
    }
    core_.Shutdown();
    emit Closed();
}

}  // namespace wobbet
