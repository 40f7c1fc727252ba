// Whether a decoded word has the shape of an amateur callsign: a prefix of
// one to three characters with a letter in it, the area digit, a suffix of
// letters, and the portable parts operators add ("DL/G4ABC", "G4ABC/P",
// "/MM", "/QRP", "/5"). It knows no country list: the shape keeps words,
// Q-codes, reports and garbled copies out, the context the spotter asks for
// does the rest.
#pragma once

#include <string_view>

namespace ditdahl {

// word in capitals, as the decoders write.
bool looksLikeCallsign(std::string_view word);

}  // namespace ditdahl
