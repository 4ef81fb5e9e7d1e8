#include "app/qt/input_box.h"

#include <QKeyEvent>

namespace wobbet {

InputBox::InputBox(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void InputBox::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        insertPlainText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace wobbet
