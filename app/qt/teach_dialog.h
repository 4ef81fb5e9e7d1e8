#pragma once

#include <QDialog>

#include "engine/conversation_host.h"

class QPushButton;

namespace wobbet {

class InputBox;

// Collects a phrase and the reply Wobbet should give to it. It checks nothing: the conversation
// decides what to do with empty texts.
class TeachDialog : public QDialog {
    Q_OBJECT

public:
    explicit TeachDialog(QWidget* parent = nullptr);

    // Shows the dialog modally. OK or Enter gives both texts exactly as typed; Cancel, Esc and
    // the close box give two empty texts.
    TeachDialogResult Run();

    InputBox* PhraseBox() const { return phraseBox_; }
    InputBox* ReplyBox() const { return replyBox_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }

private:
    InputBox* phraseBox_;
    InputBox* replyBox_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

}  // namespace wobbet
