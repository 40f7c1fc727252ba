// Text handed over by another thread (a logging program's messages through
// the keying server), waiting to be sent in the order it came, by one
// transmission job at a time: the job that takes from the queue is its
// sender. Thread-safe.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ditdahl {

struct QueuedText {
    std::string text;
    // Called on the sending thread once the last character is keyed; not
    // when the sending is stopped first.
    std::function<void()> afterSent;
    // Called on the sending thread before the first character is keyed.
    std::function<void()> beforeSent;
};

class TextQueue {
public:
    // Bytes that may wait at most, so that a flood cannot fill the memory.
    static constexpr std::size_t capacity = 4096;

    // The pieces of one message, whole or not at all: false, leaving the
    // queue as it was, when their text would not fit.
    bool push(std::vector<QueuedText> message);
    // Text waits and no sender takes it.
    bool waitingForSender() const;
    // A job becomes the sender.
    void attach();
    // The next piece for the sender.
    std::optional<QueuedText> take();
    // The sender goes, when nothing waits; false when text came meanwhile.
    bool detachIfEmpty();
    // The sender goes, stopped; what came after the stop waits for the next.
    void detach();
    void clear();

private:
    mutable std::mutex mutex_;
    std::deque<QueuedText> pieces_;
    std::size_t bytes_ = 0;
    bool attached_ = false;
};

}  // namespace ditdahl
