#pragma once

#include <QString>

class QWidget;

namespace wobbet {

// The program file's name without its directory and extension: the caption of every warning.
QString ProgramTitle();

// A modal box with the text, an OK button and a warning sign, centred on the owner when the
// owner is on the screen; returns when the user dismisses it.
void ShowWarningBox(QWidget* owner, const QString& text);

}  // namespace wobbet
