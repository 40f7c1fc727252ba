// The window's lists and the threshold bar under the mouse and the keyboard:
// the wheel, and choosing an entry again.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "GuiStation.h"
#include "station/ControlIds.h"

namespace ditdahl {
namespace {

using testing::choose;
using testing::GuiStation;

// An input that could not be opened (unplugged, busy) is tried again when its
// entry is chosen again; a running capture is left alone.
TEST(MainWindowView, ChoosingTheInputAgainRetriesCaptureThatFailed) {
    GuiStation g("", {}, false);
    auto* input = g.widget<QComboBox>(ids::inputList);
    g.settle();
    ASSERT_FALSE(g.recorder.isRunning());
    choose(input, input->currentIndex());
    g.settle();
    EXPECT_TRUE(g.recorder.isRunning());
    const int opens = g.waveIn.activity().opens;
    choose(input, input->currentIndex());
    g.settle();
    EXPECT_EQ(g.waveIn.activity().opens, opens);
    EXPECT_TRUE(g.recorder.isRunning());
}

// One notch of the mouse wheel, down.
void wheel(QWidget* widget) {
    QWheelEvent event(QPointF(4, 4), widget->mapToGlobal(QPointF(4, 4)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// The wheel scrolling past a list or the threshold bar changes nothing: over
// the port list each notch would reopen a port (and could raise an error box),
// over the input list restart capture. Once the control has focus, it acts.
TEST(MainWindowView, TheWheelChangesOnlyTheControlWithFocus) {
    GuiStation g;
    auto* port = g.widget<QComboBox>(ids::pttPortList);
    auto* input = g.widget<QComboBox>(ids::inputList);
    auto* slider = g.widget<QSlider>(ids::thresholdTrackBar);
    g.widget<QLineEdit>(ids::transmitText)->setFocus();
    g.settle();
    const int opens = g.waveIn.activity().opens;
    const int position = slider->value();
    for (QWidget* control : std::initializer_list<QWidget*>{port, input, slider}) wheel(control);
    g.settle();
    EXPECT_EQ(g.openedPorts, std::vector<int>{1});
    EXPECT_EQ(g.station.window.selectedIndex(ids::pttPortList), 0);
    EXPECT_EQ(g.waveIn.activity().opens, opens);
    EXPECT_EQ(slider->value(), position);

    port->setFocus();
    wheel(port);
    g.settle();
    EXPECT_EQ(g.station.window.selectedIndex(ids::pttPortList), 1);
    EXPECT_EQ(g.openedPorts, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace ditdahl
