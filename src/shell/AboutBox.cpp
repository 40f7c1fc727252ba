#include "shell/AboutBox.h"

#include <string>

#include "station/ControlIds.h"

namespace ditdahl {

void AboutBox::onInit() { box_.setText(ids::aboutVersionBox, std::string("Version ") + programVersion); }

void AboutBox::onCommand(int id, int /*notificationCode*/) {
    if (id == ids::okButton) ended_ = true;
}

void AboutBox::onMessage(const WindowMessage& message) {
    if (message.code == wmClose) ended_ = true;
}

}  // namespace ditdahl
