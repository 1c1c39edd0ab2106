#pragma once

#include <QIcon>
#include <QPixmap>

namespace curvana {

// The images shared by the tool bar and the menus, drawn by the program itself on a 16-unit grid
// so that they stay sharp at 16 and 32 pixels. Coloured shapes with darker outlines keep them
// legible on light and dark backgrounds.
//   0 open, 1 save, 2 print, 3 zoom in, 4 zoom out, 5 delete marker from a data series,
//   6 add marker to a data series, 7 delete data series, 8 add data series, 9 redraw,
//   10 normal size, 11 help, 12 add single marker, 13 delete single marker, 14 export
constexpr int kImageCount = 19;
QPixmap ImageListPixmap(int index, int size);
QIcon ImageListIcon(int index);

// The program's own icon and logo: a small chart with a digitized curve.
QPixmap LogoPixmap(int size);
QIcon ProgramIcon();

}  // namespace curvana
