#include "transmit/TextQueue.h"

namespace ditdahl {

bool TextQueue::push(std::vector<QueuedText> message) {
    std::size_t bytes = 0;
    for (const QueuedText& piece : message) bytes += piece.text.size();
    std::lock_guard lock(mutex_);
    if (bytes_ + bytes > capacity) return false;
    bytes_ += bytes;
    for (QueuedText& piece : message) pieces_.push_back(std::move(piece));
    return true;
}

bool TextQueue::waitingForSender() const {
    std::lock_guard lock(mutex_);
    return !pieces_.empty() && !attached_;
}

void TextQueue::attach() {
    std::lock_guard lock(mutex_);
    attached_ = true;
}

std::optional<QueuedText> TextQueue::take() {
    std::lock_guard lock(mutex_);
    if (pieces_.empty()) return std::nullopt;
    QueuedText piece = std::move(pieces_.front());
    pieces_.pop_front();
    bytes_ -= piece.text.size();
    return piece;
}

bool TextQueue::detachIfEmpty() {
    std::lock_guard lock(mutex_);
    if (!pieces_.empty()) return false;
    attached_ = false;
    return true;
}

void TextQueue::detach() {
    std::lock_guard lock(mutex_);
    attached_ = false;
}

void TextQueue::clear() {
    std::lock_guard lock(mutex_);
    pieces_.clear();
    bytes_ = 0;
}

}  // namespace ditdahl
