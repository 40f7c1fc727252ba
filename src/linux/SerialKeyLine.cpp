#include "linux/SerialKeyLine.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "shell/Profile.h"

namespace ditdahl {

namespace {

int modemBit(Line line) { return line == Line::Dtr ? TIOCM_DTR : TIOCM_RTS; }

void releaseBoth(int fd) {
    int bits = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &bits);
}

}  // namespace

std::string linuxSerialDevice(const std::string& settingsPath, int portNumber) {
    const std::string key = "COM" + std::to_string(portNumber);
    std::string device = readProfileString(settingsPath, "Ports", key, "");
    if (!device.empty()) return device;
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

std::unique_ptr<SerialKeyLine> SerialKeyLine::open(const std::string& devicePath) {
    // Non-blocking, so that a port waiting for carrier does not hang the
    // window; not our controlling terminal; not inherited by programs we start.
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (!isatty(fd) || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return nullptr;
    }
    releaseBoth(fd);
    return std::unique_ptr<SerialKeyLine>(new SerialKeyLine(fd));
}

SerialKeyLine::~SerialKeyLine() {
    releaseBoth(fd_);
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
}

void SerialKeyLine::raise(Line line) { change(TIOCMBIS, line); }

void SerialKeyLine::release(Line line) { change(TIOCMBIC, line); }

void SerialKeyLine::change(int request, Line line) {
    int bit = modemBit(line);
    if (ioctl(fd_, static_cast<unsigned long>(request), &bit) == 0) return;
    // An unplugged adapter answers EIO (or ENODEV, ENXIO); a terminal without
    // modem lines (a pseudo-terminal) refuses the request itself, harmlessly.
    if (errno == EIO || errno == ENODEV || errno == ENXIO) gone_ = true;
}

}  // namespace ditdahl
