#include "app/qt/warning_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace wobbet {

QString ProgramTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void ShowWarningBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Warning, ProgramTitle(), text, QMessageBox::Ok,
                    owner != nullptr && owner->isVisible() ? owner : nullptr);
    box.exec();
}

}  // namespace wobbet
