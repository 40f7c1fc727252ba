// The traffic record: the current line of received or sent text, stamped with
// UTC and a label into the Traffic list and the log file; and the log file
// itself (open, write, delete, view).
#pragma once

#include <string>
#include <string_view>

#include "station/StationState.h"

namespace ditdahl {

inline constexpr std::string_view labelReceived = "RX:   ";
inline constexpr std::string_view labelBeacon = "BCN:  ";
inline constexpr std::string_view labelSent = "TX:   ";
inline constexpr int trafficListCapacity = 1024;
// A traffic line is handed on as soon as it holds more than this.
inline constexpr std::size_t trafficLineFlushLength = 60;
// The longest log line, CR LF included.
inline constexpr std::size_t maxLogLineBytes = 259;

// "dd.mm.yy hh:mm:ss " (18 characters), UTC.
std::string formatTimestamp(const UtcTime& utc);
// Appends the timestamp of the station clock's current UTC time.
void appendTimestamp(const StationState& state, std::string& text);

// Removes blanks (spaces only) at both ends of trafficLine. Caller holds
// trafficLock.
void trimTrafficLine(StationState& state);

// Records trafficLine, trimmed and upper-cased in place, with its timestamp
// and label in the Traffic list (at most 1024 entries, the newest selected)
// and the log. An empty line records nothing. Leaves emptying the line to the
// caller. Caller holds trafficLock.
void flushTrafficLine(StationState& state);

// Lines kept while the log cannot be written (a full or read-only disk), at
// most; beyond them the oldest give way.
inline constexpr std::size_t maxWaitingLogLines = 10000;

// Writes one line (optionally timestamped) with CR LF to the log, whole, under
// logLock, after any lines still waiting. When the file cannot be written the
// line waits too, and the traffic display hears once that the log is failing;
// the next line written tries again. Before the log is opened (and in a tool
// without one) nothing is kept.
void writeLogLine(StationState& state, std::string_view message, bool withTimestamp);

// Opens logPath for appending; a file that cannot be opened is tried again at
// every line written.
void openLogFile(StationState& state);
// Writes what waits, if it can, and closes the log.
void closeLogFile(StationState& state);
// Asks "Delete logfile ?"; on OK replaces the log by a new empty file.
void deleteLogFile(StationState& state);
// Opens the log in the desktop's viewer; says so when that cannot be started.
void viewLogFile(StationState& state);

}  // namespace ditdahl
