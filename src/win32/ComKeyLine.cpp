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

void ComKeyLine::raise(Line line) { EscapeCommFunction(handle_, line == Line::Dtr ? SETDTR : SETRTS); }

void ComKeyLine::release(Line line) { EscapeCommFunction(handle_, line == Line::Dtr ? CLRDTR : CLRRTS); }

}  // namespace ditdahl
