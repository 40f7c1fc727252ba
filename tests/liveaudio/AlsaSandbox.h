// An ALSA configuration of the test's own, in a temporary directory selected
// through XDG_CONFIG_HOME: input devices of type file that read raw 16-bit
// stereo frames from files or FIFOs there. HOME points there too, so that no
// user's ~/.asoundrc is read, and the sound servers are kept out of reach (the
// PulseAudio device is replaced by one that hears nothing).
// Set up before the first use of the sound system in the process.
#pragma once

#include <string>
#include <string_view>

#include "support/TempDir.h"

namespace ditdahl::testing {

class AlsaSandbox {
public:
    AlsaSandbox();
    // Adds an input device called name that reads infile; asDefault makes it
    // the default input as well. Writes the configuration at once.
    void addFileInput(std::string_view name, const std::string& infile, bool asDefault = false);
    std::string file(const std::string& name) const { return directory_.file(name); }

private:
    TempDir directory_;
    std::string configuration_;
};

}  // namespace ditdahl::testing
