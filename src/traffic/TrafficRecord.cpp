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

namespace {

// Writes the waiting lines, oldest first, for as long as the file takes them;
// a file that could not be opened is tried again first. False when some are
// still waiting. Caller holds logLock.
bool writeWaitingLines(StationState& state) {
    while (!state.logBacklog.empty()) {
        if (!state.logFile) state.logFile = state.openLog(state.logPath);
        if (!state.logFile || !state.logFile->write(state.logBacklog.front())) return false;
        state.logBacklog.pop_front();
    }
    return true;
}

}  // namespace

void writeLogLine(StationState& state, std::string_view message, bool withTimestamp) {
    std::string line;
    if (withTimestamp) appendTimestamp(state, line);
    line += message;
    line.resize(wholeCharacterPrefix(line, maxLogLineBytes - 2));
    line += "\r\n";
    std::lock_guard lock(state.logLock);
    if (!state.logWanted) return;
    if (state.logBacklog.size() >= maxWaitingLogLines) state.logBacklog.pop_front();
    state.logBacklog.push_back(std::move(line));
    const bool written = writeWaitingLines(state);
    // Said once for each stretch of failures, not for every line.
    if (!written && !state.logFailing) state.displays.traffic->logFailing(state.logPath);
    state.logFailing = !written;
}

void openLogFile(StationState& state) {
    std::lock_guard lock(state.logLock);
    state.logWanted = true;
    state.logFile = state.openLog(state.logPath);
}

void closeLogFile(StationState& state) {
    std::lock_guard lock(state.logLock);
    writeWaitingLines(state);
    state.logFile.reset();
    state.logWanted = false;
}

void deleteLogFile(StationState& state) {
    const MessageAnswer answer =
        state.desktop->messageBox({"Delete logfile ?", "Ditdahl", MessageButtons::OkCancel, MessageIcon::Question});
    if (answer != MessageAnswer::Ok) return;
    // Held across close, delete and reopen, so that no line is written to the
    // old file after it is gone, nor lost between the two files.
    std::lock_guard lock(state.logLock);
    state.logFile.reset();
    deleteFile(state.logPath);
    state.logFile = state.openLog(state.logPath);
}

void viewLogFile(StationState& state) {
    const std::string failure = state.desktop->startViewer(state.logPath);
    if (!failure.empty()) {
        state.desktop->messageBox({failure, "Error", MessageButtons::Ok, MessageIcon::Warning});
    }
}

}  // namespace ditdahl
