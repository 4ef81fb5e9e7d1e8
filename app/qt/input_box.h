#pragma once

#include <QPlainTextEdit>

namespace wobbet {

// A multi-line text box inside a dialog: Enter is left to the dialog, which presses its default
// button; Ctrl+Enter breaks the line; Tab moves to the next control; long text wraps. Ctrl+Z is
// the window's, which forgets the last lesson with it, so the box keeps no undo of its own.
class InputBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit InputBox(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace wobbet
