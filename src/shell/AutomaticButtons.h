// What a click does to an automatic radio button or tick box before the
// dialog hears of it: a tick box changes between ticked and not ticked; a
// radio button becomes selected and the other radio buttons of its group
// (the run of radio buttons around it in template order) lose their
// selection. Window thread.
#pragma once

#include "station/Controls.h"
#include "station/WindowTemplate.h"

namespace ditdahl {

void clickAutomaticButton(Controls& window, const DialogTemplate& dialog, ControlId id);

}  // namespace ditdahl
