#pragma once
// The program's own pictures, drawn in code: the program icon (the same
// design as the installed metrovane.svg), the button and tab icons and the
// decorative picture of the second page.

#include <QIcon>
#include <QImage>
#include <QSize>

namespace mv::art {

QIcon AppIcon();
QIcon NewIcon();
QIcon OpenIcon();
QIcon SaveIcon();
QIcon SaveAsIcon();
QIcon SelectPageIcon();
QIcon ConvertPageIcon();
QIcon WebIcon();
QIcon AboutIcon();
QIcon CancelIcon();
QIcon HomeIcon();
QIcon RootIcon();

// The program icon at one size.
QImage AppImage(int size);
// The picture of the decorative panel: a drawing sheet with a curve, a
// compass and the arrow to a DXF sheet, on a transparent background.
QImage DecorationPicture(QSize size);

} // namespace mv::art
