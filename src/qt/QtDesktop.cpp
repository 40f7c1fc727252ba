#include "qt/QtDesktop.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

#include "linux/ViewerLauncher.h"

namespace ditdahl {
namespace {

QString fromText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool onWindowThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

template <typename Result, typename Function>
Result onWindowThreadAndWait(Function function) {
    if (onWindowThread()) return function();
    Result result{};
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { result = function(); }, Qt::BlockingQueuedConnection);
    return result;
}

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageAnswer QtDesktop::messageBox(const MessageBoxRequest& request) {
    return onWindowThreadAndWait<MessageAnswer>([&] { return showMessageBox(request); });
}

std::string QtDesktop::chooseOpenFile(const OpenFileRequest& request) {
    return onWindowThreadAndWait<std::string>([&] { return showFileChooser(request); });
}

std::string QtDesktop::startViewer(const std::string& path) { return startViewerProgram("xdg-open", path); }

MessageAnswer QtDesktop::showMessageBox(const MessageBoxRequest& request) {
    const bool withCancel = request.buttons == MessageButtons::OkCancel;
    QMessageBox box(toQtIcon(request.icon), fromText(request.caption), fromText(request.text),
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, owner_.data());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

std::string QtDesktop::showFileChooser(const OpenFileRequest& request) {
    const QString filter = fromText(request.filterDescription);
    const QString path = QFileDialog::getOpenFileName(owner_.data(), fromText(request.title), QString(), filter);
    return path.toUtf8().toStdString();
}

}  // namespace ditdahl
