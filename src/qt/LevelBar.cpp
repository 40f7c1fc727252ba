#include "qt/LevelBar.h"

#include <QPainter>

#include <algorithm>

namespace ditdahl {

namespace {
constexpr int edge = 1;
}

LevelBar::LevelBar(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void LevelBar::setRange(int minimum, int maximum) {
    if (minimum == minimum_ && maximum == maximum_) return;
    minimum_ = minimum;
    maximum_ = maximum;
    update();
}

void LevelBar::setPosition(int position) {
    if (position == position_) return;
    position_ = position;
    update();
}

void LevelBar::setColours(const QColor& background, const QColor& bar) {
    if (background == background_ && bar == bar_) return;
    background_ = background;
    bar_ = bar;
    update();
}

int LevelBar::filledHeight() const {
    const int inner = std::max(0, height() - 2 * edge);
    const long long span = static_cast<long long>(maximum_) - minimum_;
    if (span <= 0) return 0;
    const long long part = std::clamp<long long>(static_cast<long long>(position_) - minimum_, 0, span);
    return static_cast<int>(part * inner / span);
}

void LevelBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    painter.fillRect(outer, background_);
    const QRect inner = outer.adjusted(edge, edge, -edge, -edge);
    const int filled = filledHeight();
    if (filled > 0) {
        painter.fillRect(QRect(inner.left(), inner.bottom() - filled + 1, inner.width(), filled), bar_);
    }
    // Sunken edge: dark above and to the left, light below and to the right.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());
}

}  // namespace ditdahl
