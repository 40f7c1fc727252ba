#include "AlsaSandbox.h"

#include <cstdlib>
#include <filesystem>

namespace ditdahl::testing {

AlsaSandbox::AlsaSandbox() {
    std::filesystem::create_directories(directory_.path() / "alsa");
    // The system's PulseAudio device would load the PulseAudio client while
    // the devices are probed: here it is a device that hears nothing.
    configuration_ = "pcm.!pulse {\n    type null\n}\n";
    writeFileBytes((directory_.path() / "alsa" / "asoundrc").string(), configuration_);
    ::setenv("XDG_CONFIG_HOME", directory_.path().c_str(), 1);
    ::setenv("HOME", directory_.path().c_str(), 1);
    ::setenv("PULSE_SERVER", "unix:/nonexistent", 1);
    ::setenv("JACK_NO_START_SERVER", "1", 1);
}

void AlsaSandbox::addFileInput(std::string_view name, const std::string& infile, bool asDefault) {
    const std::string body = " {\n    type file\n    slave.pcm \"null\"\n    file \"/dev/null\"\n    infile \"" +
                             infile + "\"\n    format \"raw\"\n}\n";
    configuration_ += "pcm." + std::string(name) + body;
    if (asDefault) configuration_ += "pcm.!default" + body;
    writeFileBytes((directory_.path() / "alsa" / "asoundrc").string(), configuration_);
}

}  // namespace ditdahl::testing
