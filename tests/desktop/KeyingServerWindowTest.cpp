// The keying server as the window runs it: View, Keying server starts and
// stops it, and a logging program's text takes the typed text's road.
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "GuiStation.h"
#include "station/ControlIds.h"

namespace ditdahl {
namespace {

using testing::GuiStation;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Turns the server on from the menu; the port it listens on, 0 when it does not.
int listen(GuiStation& g) {
    int port = 0;
    g.openSocket = [&port](const std::string& address, int, std::string& error) {
        auto socket = openDatagramSocket(address, 0, error);
        if (socket) port = socket->localPort();
        return socket;
    };
    g.view->menuAction(ids::menuKeyingServer)->trigger();
    g.settle();
    return port;
}

// The logging program's text takes the typed text's road, and Stop quiets
// the transmitter: the sending within the character, and the PTT line the
// program raised.
TEST(KeyingServerWindow, TheMenuItemListensTheTextGoesAsTypedTextGoesAndStopEndsIt) {
    GuiStation g("[Ditdahl]\r\nTX_Speed=10\r\n");
    QAction* item = g.view->menuAction(ids::menuKeyingServer);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked()) << "off until the operator turns it on";
    const int port = listen(g);
    ASSERT_NE(port, 0);
    ASSERT_TRUE(item->isChecked());
    EXPECT_TRUE(contains(g.log(), "Keying server listening on 127.0.0.1 port " + std::to_string(port)));

    std::string status;
    std::string txLine;
    g.station.clock.at(g.station.clock.tickCount() + 1, [&] {
        status = g.station.window.text(ids::statusLine);
        txLine = g.station.window.text(ids::rxTxBuffer);
    });
    std::string error;
    auto logger = openDatagramSocket("127.0.0.1", 0, error);
    ASSERT_TRUE(logger) << error;
    const std::string server = "127.0.0.1:" + std::to_string(port);
    const std::string esc(1, '\x1b');
    logger->send(server, esc + "225");
    logger->send(server, "cq^");
    std::optional<Datagram> reply;
    for (int wait = 0; wait < 100 && !reply; ++wait) reply = logger->receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes, "cq\r\n");
    ASSERT_TRUE(g.settleUntil([&] { return contains(g.log(), "TX:   CQ"); }));
    EXPECT_EQ(status, "Transmitting for a logging program: cq");
    EXPECT_EQ(txLine, "C");
    EXPECT_EQ(g.widget<QComboBox>(ids::txSpeedList)->currentText(), "25");

    // The sending is held in its first mark until the operator has pressed Stop.
    std::atomic<bool> held{false};
    std::atomic<bool> stopped{false};
    g.station.clock.at(g.station.clock.tickCount() + 1, [&] {
        held = true;
        while (!stopped) QThread::msleep(1);
    });
    logger->send(server, esc + "a1");
    logger->send(server, "tttt");
    auto* stop = g.widget<QPushButton>(ids::stopButton);
    ASSERT_TRUE(g.settleUntil([&] { return held && stop->isEnabled(); }));
    EXPECT_TRUE(g.keyLine->isRaised(Line::Rts));
    stop->click();
    stopped = true;
    ASSERT_TRUE(g.settleUntil([&] { return contains(g.log(), "TX:   T"); }));
    EXPECT_FALSE(contains(g.log(), "TX:   TT"));
    EXPECT_FALSE(g.keyLine->isRaised(Line::Rts));
    EXPECT_FALSE(g.keyLine->isRaised(Line::Dtr));

    item->trigger();
    g.settle();
    EXPECT_FALSE(item->isChecked());
    EXPECT_TRUE(contains(g.log(), "Keying server stopped"));
    g.view->close();
    ASSERT_TRUE(g.settleUntil([&] { return g.procedure->ended(); }));
    EXPECT_TRUE(contains(g.settings(), "[Keying server]\r\nEnabled=0\r\nPort=6789\r\nAddress=127.0.0.1\r\n"));
}

// The port taken by another program: the operator is told, and the item
// stays unticked.
TEST(KeyingServerWindow, APortThatCannotBeHadIsSaidAndNotTicked) {
    std::string error;
    auto other = openDatagramSocket("127.0.0.1", 0, error);
    ASSERT_TRUE(other) << error;
    const int taken = other->localPort();
    GuiStation g("[Keying server]\r\nEnabled=1\r\nPort=" + std::to_string(taken) + "\r\n");
    g.openSocket = openDatagramSocket;
    EXPECT_TRUE(g.view->menuAction(ids::menuKeyingServer)->isChecked()) << "listening as the settings asked";
    g.view->menuAction(ids::menuKeyingServer)->trigger();
    g.settle();
    g.view->menuAction(ids::menuKeyingServer)->trigger();
    g.settle();
    EXPECT_FALSE(g.view->menuAction(ids::menuKeyingServer)->isChecked());
    ASSERT_EQ(g.station.desktop.messageBoxes().size(), 1u);
    EXPECT_TRUE(contains(g.station.desktop.messageBoxes()[0].text,
                         "cannot listen for logging programs on 127.0.0.1 port " + std::to_string(taken) + ": "));
}

}  // namespace
}  // namespace ditdahl
