// One object shared between threads that one thread may replace while others
// use it: a user keeps the object alive for as long as it holds the pointer
// it got.
#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace ditdahl {

template <typename T>
class SharedSlot {
public:
    std::shared_ptr<T> get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }
    void set(std::shared_ptr<T> value) {
        std::shared_ptr<T> old;
        {
            std::lock_guard lock(mutex_);
            old = std::exchange(value_, std::move(value));
        }
        // The old object, if this was its last owner, is destroyed here,
        // outside the lock.
    }
    void reset() { set(nullptr); }

    // Calls use(object) with the slot held, so that no reset or set can come
    // between the look and the use; returns the object, or nullptr (and use
    // is not called) when the slot is empty.
    template <typename Use>
    std::shared_ptr<T> use(Use&& use) const {
        std::lock_guard lock(mutex_);
        if (value_) use(*value_);
        return value_;
    }

    // Empties the slot and hands its object over, only when it holds this
    // very object; nullptr otherwise.
    std::shared_ptr<T> takeIf(const T* expected) {
        std::lock_guard lock(mutex_);
        if (value_.get() != expected) return nullptr;
        return std::exchange(value_, nullptr);
    }

    // Empties the slot and hands its object over.
    std::shared_ptr<T> take() {
        std::lock_guard lock(mutex_);
        return std::exchange(value_, nullptr);
    }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<T> value_;
};

}  // namespace ditdahl
