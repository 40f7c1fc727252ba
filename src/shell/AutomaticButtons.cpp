#include "shell/AutomaticButtons.h"

#include <cstddef>

namespace ditdahl {

void clickAutomaticButton(Controls& window, const DialogTemplate& dialog, ControlId id) {
    const auto& controls = dialog.controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].id != id) continue;
        if (controls[i].kind == ControlKind::TickBox) {
            window.setChecked(id, !window.isChecked(id));
        } else if (controls[i].kind == ControlKind::Radio) {
            std::size_t first = i;
            while (first > 0 && controls[first - 1].kind == ControlKind::Radio) --first;
            for (std::size_t k = first; k < controls.size() && controls[k].kind == ControlKind::Radio; ++k) {
                window.setChecked(controls[k].id, k == i);
            }
        }
        return;
    }
}

}  // namespace ditdahl
