// A text in a buffer of fixed capacity (the terminating zero included), as the
// station's shared texts are. Writes never go past the capacity: whatever does
// not fit is cut off, between two characters. Not synchronised: each owner says who may touch it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/Utf8.h"

namespace ditdahl {

template <std::size_t Capacity>
class FixedText {
    static_assert(Capacity >= 1);

public:
    static constexpr std::size_t capacity = Capacity;
    static constexpr std::size_t maxLength = Capacity - 1;

    FixedText() = default;
    explicit FixedText(std::string_view text) { assign(text); }

    void assign(std::string_view text) {
        size_ = 0;
        append(text);
    }

    // Appends what fits, whole characters only; returns false when something
    // had to be cut off.
    bool append(std::string_view text) {
        const std::size_t room = maxLength - size_;
        const std::size_t n = text.size() <= room ? text.size() : wholeCharacterPrefix(text, room);
        text.copy(data_.data() + size_, n);
        size_ += n;
        data_[size_] = '\0';
        return n == text.size();
    }

    bool append(char c) { return append(std::string_view(&c, 1)); }

    void clear() {
        size_ = 0;
        data_[0] = '\0';
    }

    // Keeps the first length characters.
    void truncate(std::size_t length) {
        if (length < size_) {
            size_ = length;
            data_[size_] = '\0';
        }
    }

    // Removes the first count characters.
    void eraseFront(std::size_t count) {
        if (count >= size_) {
            clear();
            return;
        }
        std::copy(data_.begin() + static_cast<std::ptrdiff_t>(count),
                  data_.begin() + static_cast<std::ptrdiff_t>(size_ + 1), data_.begin());
        size_ -= count;
    }

    char& operator[](std::size_t i) { return data_[i]; }
    char operator[](std::size_t i) const { return data_[i]; }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::string_view view() const { return {data_.data(), size_}; }
    std::string str() const { return std::string(view()); }
    const char* c_str() const { return data_.data(); }

    friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }

private:
    std::array<char, Capacity> data_{};
    std::size_t size_ = 0;
};

}  // namespace ditdahl
