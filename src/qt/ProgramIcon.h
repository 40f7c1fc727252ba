// The program icon: one 32 x 32 picture in 16 colours, offered at that size
// and scaled to 16 x 16 for the title bar. Window thread.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace ditdahl {

QPixmap programIconPixmap();
QIcon programIcon();

}  // namespace ditdahl
