// A desktop for tests: records every message box, file choice and viewer
// start that was asked for, and answers from a script.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "station/Desktop.h"

namespace ditdahl {

class ScriptedDesktop final : public Desktop {
public:
    MessageAnswer messageBox(const MessageBoxRequest& request) override;
    std::string chooseOpenFile(const OpenFileRequest& request) override;
    std::string startViewer(const std::string& path) override;

    // Answers for the next message boxes, in order; Ok when none is left.
    void answerNext(MessageAnswer answer);
    // Paths for the next file choices, in order; "" (cancelled) when none is left.
    void chooseNext(std::string path);
    // What startViewer reports; "" is success.
    void failViewerWith(std::string message);

    std::vector<MessageBoxRequest> messageBoxes() const;
    std::vector<OpenFileRequest> fileChoices() const;
    std::vector<std::string> viewedPaths() const;

private:
    mutable std::mutex mutex_;
    std::deque<MessageAnswer> answers_;
    std::deque<std::string> choices_;
    std::string viewerFailure_;
    std::vector<MessageBoxRequest> boxes_;
    std::vector<OpenFileRequest> fileRequests_;
    std::vector<std::string> viewed_;
};

}  // namespace ditdahl
