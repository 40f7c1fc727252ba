// The desktop beyond the window on Windows: message boxes and the open-file
// dialog owned by the main window, and the log opened in Notepad. Window
// thread, as every caller of the desktop is.
#pragma once

#include <string>

#include "station/Desktop.h"

namespace ditdahl {

class WinDesktop final : public Desktop {
public:
    // The main window, once it exists; until then boxes have no owner.
    void setOwner(void* window) { owner_ = window; }

    MessageAnswer messageBox(const MessageBoxRequest& request) override;
    std::string chooseOpenFile(const OpenFileRequest& request) override;
    std::string startViewer(const std::string& path) override;

private:
    void* owner_ = nullptr;
};

// The command line that opens path in the viewer: the program, a blank and
// the path in double quotes, so that a path with blanks stays one argument.
std::string viewerCommandLine(const std::string& program, const std::string& path);

}  // namespace ditdahl
