#include <QLabel>
#include <gtest/gtest.h>

#include "GuiStation.h"
#include "qt/DialogUnits.h"
#include "qt/LevelBar.h"
#include "shell/AutomaticButtons.h"
#include "station/ControlIds.h"

namespace ditdahl {
namespace {

TEST(DialogUnits, ConvertTheWayTheDialogManagerDoes) {
    struct Rounding {
        int a, b, c, expected;
    };
    for (const Rounding& r : {Rounding{7, 6, 4, 11}, Rounding{5, 6, 4, 8}, Rounding{1, 13, 8, 2}, Rounding{3, 13, 8, 5},
                              Rounding{4, 13, 8, 7}, Rounding{-3, 13, 8, -5}, Rounding{445, 7, 4, 779},
                              Rounding{0, 9, 4, 0}, Rounding{1, 1, 0, -1}}) {
        EXPECT_EQ(mulDivRounded(r.a, r.b, r.c), r.expected) << r.a << "*" << r.b << "/" << r.c;
    }
    struct Metrics {
        int alphabetWidth, height, baseX, baseY;
    };
    // The width of the 52 letters in pixels gives the average character
    // width, rounded: 8-point fonts at 96 dots per inch are about 6 pixels.
    for (const Metrics& m : {Metrics{312, 13, 6, 13}, Metrics{286, 13, 6, 13}, Metrics{285, 12, 5, 12},
                             Metrics{364, 16, 7, 16}, Metrics{0, 0, 0, 0}}) {
        const BaseUnits units = baseUnitsFromMetrics(m.alphabetWidth, m.height);
        EXPECT_EQ(units.x, m.baseX) << m.alphabetWidth;
        EXPECT_EQ(units.y, m.baseY) << m.alphabetWidth;
    }
    const BaseUnits classic{6, 13};
    EXPECT_EQ(dialogRectToPixels(classic, 7, 310, 52, 8), QRect(11, 504, 78, 13));
    EXPECT_EQ(dialogRectToPixels(classic, 445, 347, 0, 0).topLeft(), QPoint(668, 564));
}

TEST(DialogLayout, EveryControlStandsAtItsTemplatePlace) {
    testing::GuiStation g;
    DialogView& view = g.view->dialogView();
    const BaseUnits units = view.baseUnits();
    EXPECT_GT(units.x, 0);
    EXPECT_GT(units.y, 0);
    EXPECT_EQ(view.clientSize(), QSize(horizontalPixels(units, 445), verticalPixels(units, 347)));
    int placed = 0;
    for (const ControlTemplate& control : mainWindowTemplate().controls) {
        if (control.id == ids::noId) continue;
        const QWidget* widget = view.widgetFor(control.id);
        ASSERT_NE(widget, nullptr) << control.id;
        const QRect expected = dialogRectToPixels(units, control.x, control.y, control.width, control.height);
        EXPECT_EQ(widget->pos(), expected.topLeft()) << control.id;
        EXPECT_EQ(widget->width(), expected.width()) << control.id;
        if (control.kind != ControlKind::DropDownList) {
            EXPECT_EQ(widget->height(), expected.height()) << control.id;
        }
        ++placed;
    }
    EXPECT_EQ(placed, 94);
    // The labels are there too, with their captions.
    QStringList captions;
    for (const QLabel* label : view.findChildren<QLabel*>()) captions << label->text();
    for (const char* caption :
         {"Text to transmit", "Traffic", "0 Hz", "600 Hz", "1500 Hz", "Thrshld", "RX/TX buffer"}) {
        EXPECT_TRUE(captions.contains(caption)) << caption;
    }
}

TEST(DialogLayout, LevelBarsPaintTheModelAtDisplayRate) {
    testing::GuiStation g;
    const int bar = ids::levelBar(12);
    g.station.window.setBarRange(bar, 0, 32768);
    g.station.window.setBarColour(bar, {128, 0, 0});
    g.station.window.setBarBackground(bar, {250, 240, 190});
    g.station.window.setBarPosition(bar, 16384);
    auto* widget = qobject_cast<LevelBar*>(g.view->dialogView().widgetFor(bar));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->position(), 0) << "nothing is painted before the next refresh";
    g.settle();
    EXPECT_EQ(widget->position(), 16384);
    EXPECT_EQ(widget->barColour(), QColor(128, 0, 0));
    EXPECT_EQ(widget->background(), QColor(250, 240, 190));
    EXPECT_NEAR(widget->filledHeight(), (widget->height() - 2) / 2, 1);
    const QImage picture = widget->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(widget->width() / 2, widget->height() - 3)), QColor(128, 0, 0));
    EXPECT_EQ(QColor(picture.pixel(widget->width() / 2, 3)), QColor(250, 240, 190));
}

TEST(AutomaticButtons, RadioGroupsAndTickBoxes) {
    testing::TestStation s;
    struct Step {
        int click;
        std::vector<int> checked;
    };
    const Step steps[] = {
        {ids::filter100, {ids::filter100}},
        {ids::filter50, {ids::filter50}},
        {ids::dtrRadio, {ids::filter50, ids::dtrRadio}},
        {ids::rtsRadio, {ids::filter50, ids::rtsRadio}},
        {ids::autoSpeedTick, {ids::filter50, ids::rtsRadio, ids::autoSpeedTick}},
        {ids::autoSpeedTick, {ids::filter50, ids::rtsRadio}},
        {ids::transmitButton, {ids::filter50, ids::rtsRadio}},
    };
    const int watched[] = {ids::filter100, ids::filter50, ids::dtrRadio, ids::rtsRadio, ids::autoSpeedTick};
    for (const Step& step : steps) {
        clickAutomaticButton(s.window, mainWindowTemplate(), step.click);
        for (int id : watched) {
            const bool expected = std::find(step.checked.begin(), step.checked.end(), id) != step.checked.end();
            EXPECT_EQ(s.window.isChecked(id), expected) << "after " << step.click << ", control " << id;
        }
    }
}

}  // namespace
}  // namespace ditdahl
