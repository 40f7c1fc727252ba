#include "BenchTexts.h"

namespace ditdahl::bench {

const std::vector<std::string> benchTexts = {
    "CQ CQ DE DL1ABC DL1ABC PSE K",
    "TNX FER CALL UR RST 579 579 NAME IS PETER QTH NEAR HAMBURG HW?",
    "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890",
    "WX HERE SUNNY TEMP 22 C RIG IS 100 W ANT DIPOLE = 73 ES GL",
    "QRL? QRZ? PSE QSY TO 7025 KHZ, BK / AR",
};

}  // namespace ditdahl::bench
