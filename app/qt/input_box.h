#pragma once

#include <QPlainTextEdit>

namespace wobbet {

// A multi-line text box inside a dialog: Enter is left to the dialog, which presses its default
// button; Ctrl+Enter breaks the line; Tab moves to the next control; long text wraps. Undo and
// redo are the box's own, on the usual keys.
class InputBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit InputBox(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace wobbet
