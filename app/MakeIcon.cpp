// nutv-make-icon: writes the program's icon as PNG files for the desktop entry, from the
// same drawing the windows use.  nutv-make-icon OUT.png SIZE [OUT.png SIZE ...]
#include <cstdio>
#include <cstdlib>

#include "gui/AppIcon.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) {
        std::fputs("usage: nutv-make-icon OUT.png SIZE [OUT.png SIZE ...]\n", stderr);
        return 2;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        const int size = std::atoi(argv[i + 1]);
        if (size <= 0 || !PaintAppIcon(size).save(QString::fromLocal8Bit(argv[i]), "PNG")) {
            std::fprintf(stderr, "nutv-make-icon: cannot write %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
