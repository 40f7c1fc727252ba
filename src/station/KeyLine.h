// The keying line: the DTR or RTS line of a serial port, raised for every dot
// and dash. Implementations: a serial port, a recorder of changes for tests,
// and a renderer of the keyed tone into audio.
#pragma once

namespace ditdahl {

enum class Line { Dtr, Rts };

class KeyLine {
public:
    // Releases both lines.
    virtual ~KeyLine() = default;
    virtual void raise(Line line) = 0;
    virtual void release(Line line) = 0;
    // The device has gone (an adapter unplugged): it takes no more changes.
    // A port without modem lines is not gone; it merely keys nothing.
    virtual bool gone() const { return false; }
};

}  // namespace ditdahl
