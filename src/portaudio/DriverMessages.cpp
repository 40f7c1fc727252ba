// Silencing the sound system's console messages. Runs on the thread that
// creates or opens the input device.
#include "portaudio/DriverMessages.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace ditdahl {

namespace {

void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void showAlsaMessages(bool shown) { snd_lib_error_set_handler(shown ? nullptr : &ignoreAlsaMessage); }

QuietStandardError::QuietStandardError(bool shown) {
    if (shown) return;
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere < 0) return;
    std::fflush(stderr);
    saved_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved_ >= 0) ::dup2(nowhere, STDERR_FILENO);
    ::close(nowhere);
}

QuietStandardError::~QuietStandardError() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
}

}  // namespace ditdahl
