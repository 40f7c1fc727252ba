// Live decoding for ditdahl-decode: the input devices, and the text decoded
// from one of them through the real Recorder as the audio comes in.
#pragma once

#include "DecodeOptions.h"

namespace ditdahl::decode {

// Prints the input devices, numbered as --device takes them. Returns the exit
// code.
int listInputDevices(const DecodeOptions& options);

// Decodes the input named by options.device until interrupted (Ctrl+C or a
// termination signal) or for options.liveSeconds, printing the text as it is
// decoded. Returns the exit code.
int decodeLiveInput(const DecodeOptions& options);

}  // namespace ditdahl::decode
