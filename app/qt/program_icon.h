#pragma once

#include <QIcon>
#include <QImage>

namespace wobbet {

// The program's picture: a blue speech bubble with a face, drawn at any square size.
QImage DrawProgramIcon(int size);

// The picture at the sizes a window, a task bar and the About box ask for.
QIcon ProgramIcon();

}  // namespace wobbet
