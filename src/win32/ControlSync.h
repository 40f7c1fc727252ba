// Brings a dialog's real controls up to date with its control model: texts,
// enabling, ticks, list entries and selections, bar ranges, positions and
// colours, the track bar, the default button and the focus. Only controls
// whose model revision changed since the last look are touched, through
// SendDlgItemMessage and its kin. Window thread.
#pragma once

#include <cstdint>
#include <vector>

#include "portable/ControlModel.h"

namespace ditdahl {

class ControlSync {
public:
    ControlSync(ControlModel& model, void* dialog);

    // Shows what changed in the model. Returns at once when nothing did.
    void apply();
    // The user moved the focus to a control (0: to none of them): the model
    // hears of it, so that a later request for the same control is shown.
    void noticeFocus(ControlId id);
    // While the user drags the track bar's thumb, the model does not move it.
    void setDragging(bool dragging) { dragging_ = dragging; }

private:
    struct Entry {
        const ControlTemplate* layout = nullptr;
        std::uint64_t seenRevision = ~std::uint64_t{0};
    };

    void applyControl(const ControlTemplate& layout);
    void applyList(ControlId id, bool dropDown);
    void applyBar(ControlId id);
    void applyFocusAndDefault();

    ControlModel& model_;
    void* dialog_;
    std::vector<Entry> entries_;
    std::uint64_t seenRevision_ = ~std::uint64_t{0};
    ControlId shownFocus_ = 0;
    ControlId shownDefault_ = -2;
    bool dragging_ = false;
};

}  // namespace ditdahl
