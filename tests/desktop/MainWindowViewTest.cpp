#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

#include "GuiStation.h"
#include "qt/LevelBar.h"
#include "station/ControlIds.h"

namespace ditdahl {
namespace {

using testing::choose;
using testing::GuiStation;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
}

TEST(MainWindowView, AFreshStartShowsTheDefaults) {
    GuiStation g;
    EXPECT_TRUE(g.view->isVisible());
    EXPECT_EQ(g.view->windowTitle(), "Ditdahl");
    EXPECT_TRUE(g.widget<QRadioButton>(ids::filter50)->isChecked());
    EXPECT_FALSE(g.widget<QRadioButton>(ids::filter100)->isChecked());
    EXPECT_TRUE(g.widget<QRadioButton>(ids::dtrRadio)->isChecked());
    EXPECT_FALSE(g.widget<QRadioButton>(ids::rtsRadio)->isChecked());
    struct ListCase {
        int id;
        const char* shown;
        int count;
    };
    for (const ListCase& c : {ListCase{ids::inputList, "Test input A", 2}, ListCase{ids::pttPortList, "1", 256},
                              ListCase{ids::txSpeedList, "10", 21}, ListCase{ids::delayList, "0", 6}}) {
        EXPECT_EQ(g.widget<QComboBox>(c.id)->currentText(), c.shown) << c.id;
        EXPECT_EQ(g.widget<QComboBox>(c.id)->count(), c.count) << c.id;
    }
    EXPECT_EQ(g.widget<QSlider>(ids::thresholdTrackBar)->value(), 50);
    EXPECT_EQ(g.station.state.thresholdPercent, 50.0);
    EXPECT_EQ(g.widget<QLineEdit>(ids::bfoBox)->text(), "550");
    EXPECT_EQ(g.widget<QLineEdit>(ids::beaconInterval)->text(), "600");
    EXPECT_EQ(g.widget<QLineEdit>(ids::beaconText)->text(), "");
    EXPECT_FALSE(g.widget<QCheckBox>(ids::autoSpeedTick)->isChecked());
    EXPECT_FALSE(g.widget<QCheckBox>(ids::autoTxTick)->isChecked());
    EXPECT_FALSE(g.widget<QCheckBox>(ids::autoTxTick)->isEnabled());
    EXPECT_FALSE(g.widget<QPushButton>(ids::stopButton)->isEnabled());
    EXPECT_TRUE(g.widget<QPushButton>(ids::transmitButton)->isEnabled());
    EXPECT_TRUE(g.widget<QPushButton>(ids::senseSpeedButton)->isEnabled());
    EXPECT_EQ(g.station.state.txSpeedWpm, 10);
    EXPECT_EQ(g.station.state.dotMs, 120);
    // The first tab stop has the focus, which makes "Transmit" the default button.
    EXPECT_EQ(g.station.window.focus(), ids::transmitText);
    EXPECT_EQ(g.station.window.defaultButton(), ids::transmitButton);
    EXPECT_TRUE(g.widget<QPushButton>(ids::transmitButton)->isDefault());
    EXPECT_EQ(g.openedPorts, std::vector<int>{1});
    EXPECT_TRUE(g.station.desktop.messageBoxes().empty());
    EXPECT_TRUE(g.waveIn.activity().isStarted);
    EXPECT_EQ(g.waveIn.activity().lastFramesPerBuffer, 128u);
    EXPECT_TRUE(contains(g.log(), "Program startup\r\n"));
}

TEST(MainWindowView, StartsWithoutKeyingPortOrInputAndStillLogsTheStart) {
    GuiStation g("", {}, false);
    const auto boxes = g.station.desktop.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error opening com port for PTT.");
    EXPECT_TRUE(g.view->isVisible());
    EXPECT_TRUE(g.widget<QRadioButton>(ids::filter50)->isChecked());
    EXPECT_FALSE(g.waveIn.activity().isStarted);
    EXPECT_TRUE(contains(g.log(), "Program startup\r\n"));
    // A later filter change tries the input again.
    click(g.widget<QRadioButton>(ids::filter100));
    g.settle();
    EXPECT_TRUE(g.waveIn.activity().isStarted);
}

TEST(MainWindowView, WithoutAStoredSpeedInTheListSendingTakesTheFirstSpeed) {
    GuiStation g("[Ditdahl]\r\nTX_Speed=40\r\n");
    EXPECT_EQ(g.widget<QComboBox>(ids::txSpeedList)->currentIndex(), -1);
    EXPECT_EQ(g.station.state.txSpeedWpm, 10);
    EXPECT_EQ(g.station.state.dotMs, 120);
    EXPECT_EQ(g.station.state.dashMs, 360);
}

TEST(MainWindowView, FilterButtonsExcludeEachOtherAndRestartCapture) {
    GuiStation g;
    struct Step {
        int click;
        bool hundredChecked;
        int filterWidth, fftSize;
    };
    const Step steps[] = {
        {ids::filter100, true, 100, 64},
        {ids::filter100, true, 100, 64},  // clicking the selected one still restarts
        {ids::filter50, false, 50, 128},
        {ids::rtsRadio, false, 50, 128},  // the keying pair leaves the filter alone
    };
    for (const Step& step : steps) {
        const int opensBefore = g.waveIn.activity().opens;
        click(g.widget<QRadioButton>(step.click));
        g.settle();
        EXPECT_EQ(g.widget<QRadioButton>(ids::filter100)->isChecked(), step.hundredChecked) << step.click;
        EXPECT_EQ(g.widget<QRadioButton>(ids::filter50)->isChecked(), !step.hundredChecked) << step.click;
        EXPECT_EQ(g.station.window.isChecked(ids::filter100), step.hundredChecked) << step.click;
        EXPECT_EQ(g.station.state.filterWidth, step.filterWidth) << step.click;
        EXPECT_EQ(g.station.state.fftSize, step.fftSize) << step.click;
        const bool restarted = step.click != ids::rtsRadio;
        EXPECT_EQ(g.waveIn.activity().opens, opensBefore + (restarted ? 1 : 0)) << step.click;
        EXPECT_TRUE(g.waveIn.activity().isStarted) << step.click;
        EXPECT_EQ(g.waveIn.activity().lastFramesPerBuffer, static_cast<std::uint32_t>(step.fftSize)) << step.click;
    }
    EXPECT_TRUE(g.widget<QRadioButton>(ids::rtsRadio)->isChecked());
    EXPECT_FALSE(g.widget<QRadioButton>(ids::dtrRadio)->isChecked());
    EXPECT_FALSE(g.station.state.pttOnDtr);
    click(g.widget<QRadioButton>(ids::dtrRadio));
    g.settle();
    EXPECT_TRUE(g.station.state.pttOnDtr);
    EXPECT_FALSE(g.widget<QRadioButton>(ids::rtsRadio)->isChecked());
}

TEST(MainWindowView, EnterInTheTextBoxTransmitsAndEscapeDoesNothing) {
    GuiStation g;
    auto* box = g.widget<QLineEdit>(ids::transmitText);
    box->setFocus();
    QTest::keyClicks(box, "cq test");
    EXPECT_EQ(g.station.window.text(ids::transmitText), "cq test");
    QTest::keyClick(box, Qt::Key_Escape);
    g.settle();
    EXPECT_TRUE(g.view->isVisible());
    EXPECT_FALSE(g.procedure->ended());
    EXPECT_EQ(g.station.window.text(ids::transmitText), "cq test");

    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(g.settleUntil(
        [&] { return contains(g.log(), "TX:   CQ TEST\r\n") && g.station.window.isEnabled(ids::transmitButton); }));
    EXPECT_EQ(g.station.state.lastMessage.str(), "cq test");
    EXPECT_EQ(box->text(), "");
    ASSERT_NE(g.keyLine, nullptr);
    EXPECT_FALSE(g.keyLine->changes().empty());
    const auto traffic = g.station.window.entries(ids::trafficList);
    ASSERT_FALSE(traffic.empty());
    EXPECT_TRUE(contains(traffic.back(), "TX:   CQ TEST"));
    EXPECT_EQ(g.widget<QListWidget>(ids::trafficList)->count(), static_cast<int>(traffic.size()));

    // "Last Msg" brings the text back, "Clr" empties the box.
    click(g.widget<QPushButton>(ids::lastMessageButton));
    g.settle();
    EXPECT_EQ(box->text(), "cq test");
    click(g.widget<QPushButton>(ids::clearButton));
    g.settle();
    EXPECT_EQ(box->text(), "");
}

TEST(MainWindowView, TheThresholdChangesOnlyWhenTheThumbIsLetGo) {
    GuiStation g;
    auto* slider = g.widget<QSlider>(ids::thresholdTrackBar);
    struct Drag {
        int position;
        double threshold;
    };
    for (const Drag& drag : {Drag{0, 100.0}, Drag{100, 0.0}, Drag{37, 63.0}}) {
        const double before = g.station.state.thresholdPercent;
        slider->setSliderDown(true);
        slider->setSliderPosition(drag.position);
        g.settle();
        EXPECT_EQ(g.station.state.thresholdPercent, before) << "while dragging to " << drag.position;
        slider->setSliderDown(false);
        g.settle();
        EXPECT_EQ(g.station.state.thresholdPercent, drag.threshold) << drag.position;
        EXPECT_EQ(g.station.window.trackPosition(ids::thresholdTrackBar), drag.position);
    }
    // A key moves the thumb one step and finishes the move at once.
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Down);
    g.settle();
    EXPECT_EQ(g.station.window.trackPosition(ids::thresholdTrackBar), 38);
    EXPECT_EQ(g.station.state.thresholdPercent, 62.0);
    // Position 0 is drawn at the top, 100 at the bottom.
    auto thumbY = [&](int position) {
        g.station.window.setTrackPosition(ids::thresholdTrackBar, position);
        g.settle();
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = Qt::Vertical;
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = slider->sliderPosition();
        option.sliderValue = slider->value();
        option.upsideDown = !slider->invertedAppearance();
        option.subControls = QStyle::SC_SliderHandle;
        return slider->style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
            .center()
            .y();
    };
    EXPECT_LT(thumbY(0), slider->height() / 2);
    EXPECT_GT(thumbY(100), slider->height() / 2);
}

TEST(MainWindowView, AutomaticSpeedTickBoxes) {
    GuiStation g;
    struct Step {
        int click;
        bool senseEnabled, autoEnabled, speedListEnabled, autoRx, autoTx;
    };
    const Step steps[] = {
        {ids::autoSpeedTick, false, true, true, true, false}, {ids::autoTxTick, false, true, false, true, true},
        {ids::autoSpeedTick, true, false, true, false, true}, {ids::autoSpeedTick, false, true, false, true, true},
        {ids::autoTxTick, false, true, true, true, false},
    };
    int n = 0;
    for (const Step& step : steps) {
        click(g.widget<QCheckBox>(step.click));
        g.settle();
        ++n;
        EXPECT_EQ(g.widget<QPushButton>(ids::senseSpeedButton)->isEnabled(), step.senseEnabled) << "step " << n;
        EXPECT_EQ(g.widget<QCheckBox>(ids::autoTxTick)->isEnabled(), step.autoEnabled) << "step " << n;
        EXPECT_EQ(g.widget<QComboBox>(ids::txSpeedList)->isEnabled(), step.speedListEnabled) << "step " << n;
        EXPECT_EQ(g.station.state.autoRxSpeed, step.autoRx) << "step " << n;
        EXPECT_EQ(g.station.state.autoTxSpeed, step.autoTx) << "step " << n;
    }
}

TEST(MainWindowView, ListsActOnlyOnARealSelectionChange) {
    GuiStation g;
    auto* input = g.widget<QComboBox>(ids::inputList);
    auto* speed = g.widget<QComboBox>(ids::txSpeedList);
    auto* port = g.widget<QComboBox>(ids::pttPortList);
    const int opens = g.waveIn.activity().opens;

    // Opening and closing the lists, or choosing the entry already chosen, does nothing.
    for (QComboBox* box : {input, speed, port}) {
        box->showPopup();
        box->hidePopup();
        choose(box, box->currentIndex());
    }
    g.settle();
    EXPECT_EQ(g.waveIn.activity().opens, opens);
    EXPECT_EQ(g.openedPorts, std::vector<int>{1});
    EXPECT_EQ(g.station.state.txSpeedWpm, 10);

    choose(input, 1);
    g.settle();
    EXPECT_EQ(g.waveIn.activity().opens, opens + 1);
    EXPECT_EQ(g.waveIn.activity().lastDevice, 1);
    EXPECT_EQ(g.station.window.selectedIndex(ids::inputList), 1);

    choose(speed, 5);
    g.settle();
    EXPECT_EQ(g.station.state.txSpeedWpm, 15);
    EXPECT_EQ(g.station.state.rxSpeedWpm, 15);
    EXPECT_EQ(g.station.state.dotMs, 80);
    EXPECT_EQ(g.widget<QLineEdit>(ids::dotBox)->text(), "80");

    choose(port, 2);
    g.settle();
    EXPECT_EQ(g.openedPorts, (std::vector<int>{1, 3}));
}

TEST(MainWindowView, SenseSpeedMakesTheStationBusy) {
    GuiStation g;
    g.station.state.stopRequested = true;
    click(g.widget<QPushButton>(ids::senseSpeedButton));
    g.settle();
    EXPECT_TRUE(g.station.state.speedSensing);
    EXPECT_FALSE(g.station.state.stopRequested);
    EXPECT_FALSE(g.widget<QPushButton>(ids::senseSpeedButton)->isEnabled());
    EXPECT_FALSE(g.widget<QPushButton>(ids::transmitButton)->isEnabled());
    EXPECT_TRUE(g.widget<QPushButton>(ids::stopButton)->isEnabled());
    click(g.widget<QPushButton>(ids::stopButton));
    g.settle();
    EXPECT_TRUE(g.station.state.stopRequested);
}

TEST(MainWindowView, ClosingSavesSettingsAndLogsTheEnd) {
    struct Case {
        const char* how;
        std::function<void(GuiStation&)> close;
    };
    const Case cases[] = {
        {"close box", [](GuiStation& g) { g.view->close(); }},
        {"File Exit", [](GuiStation& g) { g.view->menuAction(ids::menuExit)->trigger(); }},
        {"termination signal",
         [](GuiStation& g) {
             g.station.window.postMessage({wmClose, 0, 0});
         }},
    };
    for (const Case& c : cases) {
        GuiStation g("[Ditdahl]\r\nThreshold=20\r\n");
        click(g.widget<QRadioButton>(ids::filter100));
        c.close(g);
        ASSERT_TRUE(g.settleUntil([&] { return g.procedure->ended(); })) << c.how;
        g.settle();
        EXPECT_FALSE(g.view->isVisible()) << c.how;
        EXPECT_FALSE(g.waveIn.activity().isOpen) << c.how;
        EXPECT_TRUE(contains(g.settings(), "Filter=0\r\n")) << c.how;
        EXPECT_TRUE(contains(g.settings(), "Threshold=20\r\n")) << c.how;
        const std::string log = g.log();
        EXPECT_TRUE(contains(log, "Program startup\r\n")) << c.how;
        EXPECT_EQ(log.size() - log.rfind("Program termination\r\n"), std::string("Program termination\r\n").size())
            << c.how;
        EXPECT_EQ(g.station.state.logFile, nullptr) << c.how;
        EXPECT_EQ(g.station.state.pttPort.get(), nullptr) << c.how;
    }
}

TEST(MainWindowView, AnAudioResetRestartsCaptureAndIsLogged) {
    GuiStation g;
    const int opens = g.waveIn.activity().opens;
    const long long before = g.station.clock.elapsedMs();
    g.station.window.postMessage({audioResetMessage, 0, 0});
    g.settle();
    EXPECT_EQ(g.waveIn.activity().opens, opens + 1);
    EXPECT_TRUE(g.waveIn.activity().isStarted);
    EXPECT_EQ(g.station.clock.elapsedMs() - before, 5);
    EXPECT_TRUE(contains(g.log(), "Audio reset (WM_USER)\r\n"));
}

TEST(MainWindowView, TheAboutBoxShowsTheVersionAndClosesOnlyByOkOrTheCloseBox) {
    for (const bool byCloseBox : {false, true}) {
        GuiStation g;
        std::string shownVersion;
        bool stillOpenAfterEscape = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<DialogBoxView*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), "About");
            auto* version = qobject_cast<QLineEdit*>(box->dialogView().widgetFor(ids::aboutVersionBox));
            shownVersion = version->text().toStdString();
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Escape);
            stillOpenAfterEscape = box->isVisible();
            if (byCloseBox) {
                box->close();
            } else {
                click(box->dialogView().widgetFor(ids::okButton));
            }
        });
        g.view->menuAction(ids::menuAbout)->trigger();
        EXPECT_EQ(shownVersion, "Version V0.6");
        EXPECT_TRUE(stillOpenAfterEscape);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(g.procedure->ended());
    }
}

TEST(MainWindowView, LogMenuCommandsReachTheDesktop) {
    GuiStation g;
    g.view->menuAction(ids::menuViewLogfile)->trigger();
    g.settle();
    EXPECT_EQ(g.station.desktop.viewedPaths(), std::vector<std::string>{g.dir.file("Ditdahl.log")});
    g.station.desktop.answerNext(MessageAnswer::Cancel);
    g.view->menuAction(ids::menuDeleteLogfile)->trigger();
    g.settle();
    ASSERT_EQ(g.station.desktop.messageBoxes().size(), 1u);
    EXPECT_TRUE(contains(g.log(), "Program startup"));
}

TEST(MainWindowView, TheAutomaticDecoderItemTicksAndIsSavedInItsOwnSection) {
    const std::string mainSection = "[Ditdahl]\r\nFilter=1\r\nThreshold=20\r\n";
    for (const bool storedOn : {false, true}) {
        SCOPED_TRACE(storedOn);
        GuiStation g(mainSection + "[Automatic decoder]\r\nEnabled=" + (storedOn ? "1" : "0") + "\r\n");
        QAction* item = g.view->menuAction(ids::menuAutomaticDecoder);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isCheckable());
        EXPECT_EQ(item->text(), "Automatic decoder");
        EXPECT_EQ(item->isChecked(), storedOn);
        // Each choice flips the tick and the receiver at once.
        for (const bool on : {!storedOn, storedOn, !storedOn}) {
            item->trigger();
            g.settle();
            EXPECT_EQ(item->isChecked(), on);
            EXPECT_EQ(g.station.state.automaticDecoder, on);
        }
        EXPECT_EQ(g.waveIn.activity().opens, 1) << "capture went on without a restart";
        g.view->close();
        ASSERT_TRUE(g.settleUntil([&] { return g.procedure->ended(); }));
        const std::string saved = g.settings();
        EXPECT_TRUE(
            contains(saved, std::string("\r\n[Automatic decoder]\r\nEnabled=") + (storedOn ? "0" : "1") + "\r\n"))
            << saved;
        const std::string savedMain = saved.substr(0, saved.find("[Automatic decoder]"));
        EXPECT_EQ(std::count(savedMain.begin(), savedMain.end(), '='), 12) << savedMain;
        EXPECT_FALSE(contains(savedMain, "Enabled")) << savedMain;
    }
}

TEST(MainWindowView, ControlsDrawnInTheirOwnColoursAndFont) {
    GuiStation g;
    auto* slider = g.widget<QSlider>(ids::thresholdTrackBar);
    EXPECT_TRUE(slider->autoFillBackground());
    EXPECT_EQ(slider->palette().color(QPalette::Window), QColor(240, 240, 240));
    const QFont font = g.widget<QListWidget>(ids::trafficList)->font();
    EXPECT_EQ(font.family(), "Courier New");
    EXPECT_EQ(font.pixelSize(), 14);
    EXPECT_TRUE(font.fixedPitch());
    EXPECT_FALSE(g.widget<QLineEdit>(ids::transmitText)->palette().color(QPalette::Window) == QColor(240, 240, 240) &&
                 g.widget<QLineEdit>(ids::transmitText)->autoFillBackground());
}

TEST(MainWindowView, ToneButtonsSetTheBfoBoxAndHighlightTheirBars) {
    struct Case {
        int filterButton;
        int toneButton;
        const char* bfo;
        std::vector<int> highlighted;
    };
    const Case cases[] = {
        {ids::filter50, 20, "1000", {20}},  {ids::filter50, 1, "50", {1}},
        {ids::filter50, 32, "1600", {32}},  {ids::filter100, 20, "1000", {19, 20}},
        {ids::filter100, 7, "350", {7, 8}}, {ids::filter100, 32, "1600", {31, 32}},
    };
    testing::GuiStation g;
    for (const Case& c : cases) {
        click(g.widget<QRadioButton>(c.filterButton));
        click(g.widget<QPushButton>(ids::toneButton(c.toneButton)));
        g.settle();
        EXPECT_EQ(g.widget<QLineEdit>(ids::bfoBox)->text().toStdString(), c.bfo) << c.toneButton;
        EXPECT_EQ(g.station.state.toneFrequency, 50 * c.toneButton);
        for (int bar = 1; bar <= ids::barCount; ++bar) {
            auto* widget = qobject_cast<LevelBar*>(g.view->dialogView().widgetFor(ids::levelBar(bar)));
            const bool lit = std::find(c.highlighted.begin(), c.highlighted.end(), bar) != c.highlighted.end();
            EXPECT_EQ(widget->background(), lit ? QColor(250, 240, 190) : QColor(64, 64, 64))
                << "tone button " << c.toneButton << ", bar " << bar;
            EXPECT_EQ(widget->barColour(), lit ? QColor(128, 0, 0) : QColor(128, 128, 128))
                << "tone button " << c.toneButton << ", bar " << bar;
        }
    }
}

}  // namespace
}  // namespace ditdahl
