// Build step: renders the program icon into the PNG files that the desktop entry refers to.
#include <QImage>
#include <cstdio>
#include <string>

#include "app/qt/program_icon.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: write_program_icon SIZE FILE.png\n", stderr);
        return 2;
    }
    const int size = std::stoi(argv[1]);
    if (!wobbet::DrawProgramIcon(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "write_program_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
