#include "app/qt/teach_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "app/qt/dialog_units.h"
#include "app/qt/engine_text.h"
#include "app/qt/input_box.h"

namespace wobbet {

TeachDialog::TeachDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      phraseBox_(new InputBox(this)),
      replyBox_(new InputBox(this)),
      okButton_(new QPushButton(tr("OK"), this)),
      cancelButton_(new QPushButton(tr("Cancel"), this)) {
    setWindowTitle(tr("Teach"));
    // Modal to the main window only: the character's own window stays free meanwhile.
    setWindowModality(Qt::WindowModal);
    auto* phraseLabel = new QLabel(tr("If you say this:"), this);
    auto* replyLabel = new QLabel(tr("I should say this:"), this);
    // Static text starts at the top of its rectangle, as the layout expects.
    phraseLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    replyLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const DialogBaseUnits units = DialogBaseUnits::Of(font());
    setFixedSize(units.ToPixels(188, 127));
    phraseBox_->setGeometry(units.ToPixels(7, 15, 174, 35));
    replyBox_->setGeometry(units.ToPixels(7, 65, 174, 35));
    okButton_->setGeometry(units.ToPixels(75, 106, 50, 14));
    cancelButton_->setGeometry(units.ToPixels(131, 106, 50, 14));
    phraseLabel->setGeometry(units.ToPixels(7, 5, 174, 10));
    replyLabel->setGeometry(units.ToPixels(7, 55, 174, 10));

    okButton_->setDefault(true);
    setTabOrder(phraseBox_, replyBox_);
    setTabOrder(replyBox_, okButton_);
    setTabOrder(okButton_, cancelButton_);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    phraseBox_->setFocus();
}

TeachDialogResult TeachDialog::Run() {
    TeachDialogResult result;
    if (exec() != QDialog::Accepted) {
        result.result = TeachDialogResult::kCancel;
        return result;
    }
    result.result = TeachDialogResult::kOk;
    result.phrase = ToEngineText(phraseBox_->toPlainText());
    result.reply = ToEngineText(replyBox_->toPlainText());
    return result;
}

}  // namespace wobbet
