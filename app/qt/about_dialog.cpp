#include "app/qt/about_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "app/qt/dialog_units.h"
#include "app/qt/program_icon.h"

namespace wobbet {
namespace {

constexpr int kIconSize = 32;

}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      okButton_(new QPushButton(tr("OK"), this)) {
    setWindowTitle(tr("About Wobbet"));
    // Modal to the main window only: the character's own window stays free meanwhile.
    setWindowModality(Qt::WindowModal);
    const DialogBaseUnits units = DialogBaseUnits::Of(font());
    setFixedSize(units.ToPixels(235, 55));

    // An icon control keeps its top left corner and takes the size of the icon.
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(kIconSize, kIconSize));
    icon->setGeometry(units.ToPixelsX(11), units.ToPixelsY(17), kIconSize, kIconSize);

    const auto addText = [this, &units](const QString& text, int x, int y, int width) {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // A font wider than the classic one must not cut the text short.
        QRect area = units.ToPixels(x, y, width, 8);
        area.setWidth(std::max(area.width(), label->sizeHint().width()));
        label->setGeometry(area);
    };
    addText(tr("QUIB Wobbet Version 2.2"), 40, 10, 119);
    addText(tr("Zentalo Software"), 40, 25, 119);
    okButton_->setGeometry(units.ToPixels(178, 7, 50, 14));
    okButton_->setDefault(true);
    // What this program's character is made of, in the place the Windows box names its own.
    addText(tr("Drawn character, eSpeak NG voice"), 40, 40, 116);

    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    okButton_->setFocus();
}

}  // namespace wobbet
