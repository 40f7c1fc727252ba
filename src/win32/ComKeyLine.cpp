#include "win32/ComKeyLine.h"

#include <windows.h>

namespace ditdahl {
namespace {

void releaseBoth(HANDLE port) {
    EscapeCommFunction(port, CLRDTR);
    EscapeCommFunction(port, CLRRTS);
}

}  // namespace

std::unique_ptr<ComKeyLine> ComKeyLine::open(const std::string& name) {
    // Share mode 0: no other program can open the port while it is ours.
    const HANDLE port = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE) return nullptr;
    // Only a serial port has a line state; anything else that opens under the
    // name is refused.
    DCB state{};
    state.DCBlength = sizeof(state);
    if (!GetCommState(port, &state)) {
        CloseHandle(port);
        return nullptr;
    }
    releaseBoth(port);
    return std::unique_ptr<ComKeyLine>(new ComKeyLine(port));
}

ComKeyLine::~ComKeyLine() {
    releaseBoth(handle_);
    CloseHandle(handle_);
}

void ComKeyLine::raise(Line line) { change(line == Line::Dtr ? SETDTR : SETRTS); }

void ComKeyLine::release(Line line) { change(line == Line::Dtr ? CLRDTR : CLRRTS); }

void ComKeyLine::change(unsigned long function) {
    if (EscapeCommFunction(handle_, function)) return;
    // A port that cannot drive its lines (ERROR_NOT_SUPPORTED) keys nothing,
    // harmlessly; these say the device itself is gone.
    const DWORD error = GetLastError();
    if (error == ERROR_DEVICE_REMOVED || error == ERROR_BAD_COMMAND || error == ERROR_GEN_FAILURE ||
        error == ERROR_OPERATION_ABORTED) {
        gone_ = true;
    }
}

}  // namespace ditdahl
