// The desktop beyond the window: message boxes and the open-file chooser as
// Qt dialogs over the main window, and the log viewer started with xdg-open.
// Callable from any thread: a call from another thread is carried out on the
// window thread and waits for the user's answer there.
#pragma once

#include <QPointer>
#include <QWidget>

#include "station/Desktop.h"

namespace ditdahl {

class QtDesktop final : public Desktop {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }

    MessageAnswer messageBox(const MessageBoxRequest& request) override;
    std::string chooseOpenFile(const OpenFileRequest& request) override;
    std::string startViewer(const std::string& path) override;

private:
    MessageAnswer showMessageBox(const MessageBoxRequest& request);
    std::string showFileChooser(const OpenFileRequest& request);

    QPointer<QWidget> owner_;
};

}  // namespace ditdahl
