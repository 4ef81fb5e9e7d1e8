#include "app/qt/warning_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace wobbet {

QString ProgramTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void ShowWarningBox(QWidget* owner, const QString& text) {
    const bool owned = owner != nullptr && owner->isVisible();
    QMessageBox box(QMessageBox::Warning, ProgramTitle(), text, QMessageBox::Ok,
                    owned ? owner : nullptr);
    if (owned) {
        // Modal to its owner only: the character's own window stays free meanwhile.
        box.setWindowModality(Qt::WindowModal);
    }
    box.exec();
}

}  // namespace wobbet
