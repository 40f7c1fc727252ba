#include "traffic/TrafficRecord.h"

#include <cstdio>

#include "base/MorseTable.h"
#include "base/Utf8.h"

namespace ditdahl {

std::string formatTimestamp(const UtcTime& utc) {
    char text[64];
    std::snprintf(text, sizeof text, "%02i.%02i.%02i %02i:%02i:%02i ", utc.day, utc.month, utc.year % 100, utc.hour,
                  utc.minute, utc.second);
    return text;
}

void appendTimestamp(const StationState& state, std::string& text) { text += formatTimestamp(state.clock->utcNow()); }

void trimTrafficLine(StationState& state) {
    FixedText<256>& line = state.trafficLine;
    std::size_t leading = 0;
    while (leading < line.size() && line[leading] == ' ') ++leading;
    line.eraseFront(leading);
    std::size_t end = line.size();
    while (end > 0 && line[end - 1] == ' ') --end;
    line.truncate(end);
}

void flushTrafficLine(StationState& state) {
    std::string entry;
    appendTimestamp(state, entry);
    trimTrafficLine(state);
    FixedText<256>& line = state.trafficLine;
    if (line.empty()) return;

    if (state.receiveEnabled) {
        entry += labelReceived;
    } else if (state.beaconActive) {
        entry += labelBeacon;
    } else {
        entry += labelSent;
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
        line[i] = static_cast<char>(upperAscii(static_cast<unsigned char>(line[i])));
    }
    entry += line.view();

    state.displays.traffic->addTrafficEntry(entry);

    writeLogLine(state, entry, false);
}

void writeLogLine(StationState& state, std::string_view message, bool withTimestamp) {
    std::string line;
    if (withTimestamp) appendTimestamp(state, line);
    line += message;
    line.resize(wholeCharacterPrefix(line, maxLogLineBytes - 2));
    line += "\r\n";
    std::lock_guard lock(state.logLock);
    state.logFile.write(line);
}

void openLogFile(StationState& state) {
    std::lock_guard lock(state.logLock);
    state.logFile.open(state.logPath);
}

void closeLogFile(StationState& state) {
    std::lock_guard lock(state.logLock);
    state.logFile.close();
}

void deleteLogFile(StationState& state) {
    const MessageAnswer answer =
        state.desktop->messageBox({"Delete logfile ?", "Ditdahl", MessageButtons::OkCancel, MessageIcon::Question});
    if (answer != MessageAnswer::Ok) return;
    // Held across close, delete and reopen, so that no line is written to the
    // old file after it is gone, nor lost between the two files.
    std::lock_guard lock(state.logLock);
    state.logFile.close();
    deleteFile(state.logPath);
    state.logFile.open(state.logPath);
}

void viewLogFile(StationState& state) {
    const std::string failure = state.desktop->startViewer(state.logPath);
    if (!failure.empty()) {
        state.desktop->messageBox({failure, "Error", MessageButtons::Ok, MessageIcon::Warning});
    }
}

}  // namespace ditdahl
