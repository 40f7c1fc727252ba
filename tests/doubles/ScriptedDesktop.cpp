#include "doubles/ScriptedDesktop.h"

namespace ditdahl {

MessageAnswer ScriptedDesktop::messageBox(const MessageBoxRequest& request) {
    std::lock_guard lock(mutex_);
    boxes_.push_back(request);
    if (answers_.empty()) return MessageAnswer::Ok;
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::string ScriptedDesktop::chooseOpenFile(const OpenFileRequest& request) {
    std::lock_guard lock(mutex_);
    fileRequests_.push_back(request);
    if (choices_.empty()) return {};
    std::string path = std::move(choices_.front());
    choices_.pop_front();
    return path;
}

std::string ScriptedDesktop::startViewer(const std::string& path) {
    std::lock_guard lock(mutex_);
    viewed_.push_back(path);
    return viewerFailure_;
}

void ScriptedDesktop::answerNext(MessageAnswer answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

void ScriptedDesktop::chooseNext(std::string path) {
    std::lock_guard lock(mutex_);
    choices_.push_back(std::move(path));
}

void ScriptedDesktop::failViewerWith(std::string message) {
    std::lock_guard lock(mutex_);
    viewerFailure_ = std::move(message);
}

std::vector<MessageBoxRequest> ScriptedDesktop::messageBoxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::vector<OpenFileRequest> ScriptedDesktop::fileChoices() const {
    std::lock_guard lock(mutex_);
    return fileRequests_;
}

std::vector<std::string> ScriptedDesktop::viewedPaths() const {
    std::lock_guard lock(mutex_);
    return viewed_;
}

}  // namespace ditdahl
