// Runs the desktop tests inside one Qt application on the offscreen platform,
// so that they need no display.
#include <QApplication>
#include <QStyleFactory>
#include <gtest/gtest.h>

namespace {

// The offscreen platform cannot raise windows or grab the keyboard and says
// so each time; nothing else is kept from the output.
QtMessageHandler standardHandler = nullptr;

void quietAboutOffscreenLimits(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support"))) return;
    if (standardHandler) standardHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    standardHandler = qInstallMessageHandler(quietAboutOffscreenLimits);
    QApplication application(argc, argv);
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) QApplication::setStyle(classic);
    return RUN_ALL_TESTS();
}
