// A vertical, smooth progress bar in the classic look: a sunken edge, a
// background colour and a bar of another colour rising from the bottom.
// Window thread.
#pragma once

#include <QColor>
#include <QWidget>

namespace ditdahl {

class LevelBar final : public QWidget {
    Q_OBJECT
public:
    explicit LevelBar(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    void setPosition(int position);
    void setColours(const QColor& background, const QColor& bar);

    int position() const { return position_; }
    QColor background() const { return background_; }
    QColor barColour() const { return bar_; }
    // Pixel height of the filled part inside the edge.
    int filledHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    QColor background_{Qt::white};
    QColor bar_{0, 0, 128};
};

}  // namespace ditdahl
