#pragma once

#include <QDialog>

class QPushButton;

namespace wobbet {

// The program's name, version and maker beside its icon; OK, Esc or the close box end it.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QPushButton* OkButton() const { return okButton_; }

private:
    QPushButton* okButton_;
};

}  // namespace wobbet
