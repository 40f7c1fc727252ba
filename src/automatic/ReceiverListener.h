// Where the automatic receiver's results go: its text, the sender's speed
// and the followed tone, called on the thread that feeds the receiver.
#pragma once

#include <string_view>

namespace ditdahl::automatic {

class ReceiverListener {
public:
    virtual ~ReceiverListener() = default;
    // Decoded characters as the table's expansion gives them ("SOS", "CQ",
    // "SK" for the run-together signals), and single blanks between words.
    virtual void text(std::string_view decoded) = 0;
    // The sender's speed, whenever its estimate changes.
    virtual void speed(double wpm, double dotMs) = 0;
    // The followed tone in Hz, whenever it is locked or moves by 1 Hz or
    // more; 0 when it is let go.
    virtual void tone(double toneHz) = 0;
};

}  // namespace ditdahl::automatic
