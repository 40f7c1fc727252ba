#include "qt/ProgramIcon.h"

#include "qt/ditdahl.xpm"

namespace ditdahl {

QPixmap programIconPixmap() { return QPixmap(ditdahlIcon); }

QIcon programIcon() {
    const QPixmap big = programIconPixmap();
    QIcon icon;
    icon.addPixmap(big);
    icon.addPixmap(big.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return icon;
}

}  // namespace ditdahl
