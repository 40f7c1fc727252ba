#include "station/Displays.h"

namespace ditdahl {

Displays Displays::none() {
    // Stateless, so one of each serves every station.
    static LineDisplay line;
    static SpeedDisplay speed;
    static SpectrumDisplay spectrum;
    static TrafficDisplay traffic;
    static TransmitPanel transmit;
    return {&line, &speed, &spectrum, &traffic, &transmit};
}

}  // namespace ditdahl
