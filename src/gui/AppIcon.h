#pragma once
#include <QIcon>
#include <QImage>

// The program's icon: two database drums with an arrow from the older edition's to the
// newer edition's, painted in code so that the window and the installed desktop entry
// show the same picture.
QImage PaintAppIcon(int size);
QIcon AppIcon();
