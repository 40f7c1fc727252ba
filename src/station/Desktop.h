// What the program asks of the desktop beyond its own window: message boxes,
// the open-file chooser and an outside program to view the log.
#pragma once

#include <string>

namespace ditdahl {

enum class MessageButtons { Ok, OkCancel };
enum class MessageIcon { None, Question, Warning };
enum class MessageAnswer { Ok, Cancel };

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    friend bool operator==(const MessageBoxRequest&, const MessageBoxRequest&) = default;
};

struct OpenFileRequest {
    std::string title;              // "Select text file"
    std::string filterDescription;  // "TXT File (*.txt)"
    std::string filterPattern;      // "*.txt"
    friend bool operator==(const OpenFileRequest&, const OpenFileRequest&) = default;
};

class Desktop {
public:
    virtual ~Desktop() = default;
    // Shows a modal message box owned by the main window and returns the
    // button the user pressed.
    virtual MessageAnswer messageBox(const MessageBoxRequest& request) = 0;
    // Lets the user pick an existing file; empty when cancelled.
    virtual std::string chooseOpenFile(const OpenFileRequest& request) = 0;
    // Starts the viewer for a text file without waiting for it. Returns an
    // empty text on success, else the message to show the user.
    virtual std::string startViewer(const std::string& path) = 0;
};

}  // namespace ditdahl
