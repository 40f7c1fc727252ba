// The window's controls, addressed by numeric identifier. Every part of the
// program that shows something or reads a choice goes through this port, from
// whichever thread it runs on. A call is complete when it returns; none of them
// waits for the window thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ditdahl {

using ControlId = int;

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A message for the window thread, posted and not waited for.
struct WindowMessage {
    std::uint32_t code = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    friend bool operator==(const WindowMessage&, const WindowMessage&) = default;
};

class Controls {
public:
    virtual ~Controls() = default;

    virtual void setText(ControlId id, std::string_view text) = 0;
    virtual std::string text(ControlId id) const = 0;

    virtual void setEnabled(ControlId id, bool enabled) = 0;
    virtual bool isEnabled(ControlId id) const = 0;

    // Radio buttons and tick boxes.
    virtual void setChecked(ControlId id, bool checked) = 0;
    virtual bool isChecked(ControlId id) const = 0;

    // List boxes and drop-down lists (unsorted: an entry's index is its place).
    virtual int addEntry(ControlId id, std::string_view text) = 0;  // index of the new entry
    virtual void deleteEntry(ControlId id, int index) = 0;          // outside the list: nothing
    virtual void clearEntries(ControlId id) = 0;
    // Rewrites an entry in its place, its selection kept; outside the list: nothing.
    virtual void setEntryText(ControlId id, int index, std::string_view text) = 0;
    virtual int entryCount(ControlId id) const = 0;
    virtual std::string entryText(ControlId id, int index) const = 0;  // empty outside the list
    virtual int selectedIndex(ControlId id) const = 0;                 // -1: no selection
    // An index outside the list leaves the list without a selection.
    virtual void select(ControlId id, int index) = 0;
    // First entry, from the top, whose text begins with prefix, ignoring case;
    // -1 when none does.
    virtual int findPrefix(ControlId id, std::string_view prefix) const = 0;

    // Progress bars. The position is kept within the range.
    virtual void setBarRange(ControlId id, int minimum, int maximum) = 0;
    virtual void setBarPosition(ControlId id, int position) = 0;
    virtual int barPosition(ControlId id) const = 0;
    virtual void setBarBackground(ControlId id, Rgb colour) = 0;
    virtual void setBarColour(ControlId id, Rgb colour) = 0;

    // Track bars, range 0 to 100; the position is kept within it.
    virtual void setTrackPosition(ControlId id, int position) = 0;
    virtual int trackPosition(ControlId id) const = 0;

    virtual void setDefaultButton(ControlId id) = 0;
    virtual ControlId defaultButton() const = 0;

    virtual void setFocus(ControlId id) = 0;
    virtual ControlId focus() const = 0;

    virtual void postMessage(const WindowMessage& message) = 0;
};

}  // namespace ditdahl
