// The one record of every control of a dialog: what the window shows and what
// the user has chosen. The program changes it through Controls from any
// thread; the desktop view paints it and writes the user's input back; tests
// read it as a user would see the window. One lock guards it, held only for
// the duration of a call, so no caller ever waits on another thread's work.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "station/Controls.h"
#include "station/WindowTemplate.h"

namespace ditdahl {

class ControlModel final : public Controls {
public:
    explicit ControlModel(const DialogTemplate& dialog);

    void setText(ControlId id, std::string_view text) override;
    std::string text(ControlId id) const override;
    void setEnabled(ControlId id, bool enabled) override;
    bool isEnabled(ControlId id) const override;
    void setChecked(ControlId id, bool checked) override;
    bool isChecked(ControlId id) const override;

    int addEntry(ControlId id, std::string_view text) override;
    void deleteEntry(ControlId id, int index) override;
    void clearEntries(ControlId id) override;
    void setEntryText(ControlId id, int index, std::string_view text) override;
    int entryCount(ControlId id) const override;
    std::string entryText(ControlId id, int index) const override;
    int selectedIndex(ControlId id) const override;
    void select(ControlId id, int index) override;
    int findPrefix(ControlId id, std::string_view prefix) const override;

    void setBarRange(ControlId id, int minimum, int maximum) override;
    void setBarPosition(ControlId id, int position) override;
    int barPosition(ControlId id) const override;
    void setBarBackground(ControlId id, Rgb colour) override;
    void setBarColour(ControlId id, Rgb colour) override;

    void setTrackPosition(ControlId id, int position) override;
    int trackPosition(ControlId id) const override;

    void setDefaultButton(ControlId id) override;
    ControlId defaultButton() const override;
    void setFocus(ControlId id) override;
    ControlId focus() const override;

    void postMessage(const WindowMessage& message) override;

    // Beyond the port: for the view and for tests.
    const DialogTemplate& dialog() const { return dialog_; }
    bool has(ControlId id) const;
    std::vector<std::string> entries(ControlId id) const;
    struct BarRange {
        int minimum = 0;
        int maximum = 100;
        friend bool operator==(const BarRange&, const BarRange&) = default;
    };
    BarRange barRange(ControlId id) const;
    Rgb barBackground(ControlId id) const;
    Rgb barColour(ControlId id) const;
    // Takes every message posted so far, oldest first.
    std::vector<WindowMessage> takePostedMessages();
    // Called, outside the lock, after each posted message; the view uses it to
    // wake the window thread. Set it before other threads start posting.
    void onMessagePosted(std::function<void()> listener);
    // Grows with every change; the view repaints what changed since it last
    // looked.
    std::uint64_t revision() const;
    std::uint64_t revision(ControlId id) const;

private:
    struct State {
        const ControlTemplate* layout = nullptr;
        std::string text;
        bool enabled = true;
        bool checked = false;
        std::vector<std::string> entries;
        int selection = -1;
        BarRange range;
        int position = 0;  // progress or track bar
        Rgb background{};
        Rgb colour{};
        std::uint64_t revision = 0;
    };

    State* find(ControlId id);
    const State* find(ControlId id) const;
    void touch(State& state);

    const DialogTemplate& dialog_;
    mutable std::mutex mutex_;
    std::vector<State> states_;
    std::unordered_map<ControlId, std::size_t> index_;
    ControlId defaultButton_ = 0;
    ControlId focus_ = 0;
    std::deque<WindowMessage> posted_;
    std::function<void()> messagePosted_;
    std::uint64_t revision_ = 0;
};

}  // namespace ditdahl
