// Keeps the sound system's own console messages (ALSA's complaints about
// unusable configuration entries, JACK's "cannot connect to server", ...) out
// of the user's terminal unless they were asked for.
#pragma once

namespace ditdahl {

// Routes ALSA's error messages nowhere (shown: left as ALSA has them).
void showAlsaMessages(bool shown);

// While it lives, whatever is written to the standard error stream goes
// nowhere (unless shown). For the short moments when the audio libraries
// probe the system.
class QuietStandardError {
public:
    explicit QuietStandardError(bool shown);
    ~QuietStandardError();
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_ = -1;
};

}  // namespace ditdahl
