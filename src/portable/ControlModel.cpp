#include "portable/ControlModel.h"

#include <algorithm>

namespace ditdahl {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lowerAscii(text[i]) != lowerAscii(prefix[i])) return false;
    }
    return true;
}

bool isList(ControlKind kind) { return kind == ControlKind::ListBox || kind == ControlKind::DropDownList; }

}  // namespace

ControlModel::ControlModel(const DialogTemplate& dialog) : dialog_(dialog) {
    states_.reserve(dialog.controls.size());
    for (const ControlTemplate& layout : dialog.controls) {
        State state;
        state.layout = &layout;
        state.enabled = (layout.styles & style::disabled) == 0;
        // Labels, buttons and group boxes show their caption as their text.
        state.text = std::string(layout.caption);
        if (layout.id != -1) index_.emplace(layout.id, states_.size());
        states_.push_back(std::move(state));
        if (layout.kind == ControlKind::Button && (layout.styles & style::defaultPushButton) && defaultButton_ == 0) {
            defaultButton_ = layout.id;
        }
    }
}

ControlModel::State* ControlModel::find(ControlId id) {
    auto it = index_.find(id);
    return it == index_.end() ? nullptr : &states_[it->second];
}

const ControlModel::State* ControlModel::find(ControlId id) const {
    auto it = index_.find(id);
    return it == index_.end() ? nullptr : &states_[it->second];
}

void ControlModel::touch(State& state) { state.revision = ++revision_; }

bool ControlModel::has(ControlId id) const {
    std::lock_guard lock(mutex_);
    return find(id) != nullptr;
}

void ControlModel::setText(ControlId id, std::string_view text) {
    std::lock_guard lock(mutex_);
    if (State* s = find(id)) {
        s->text.assign(text);
        touch(*s);
    }
}

std::string ControlModel::text(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? s->text : std::string();
}

void ControlModel::setEnabled(ControlId id, bool enabled) {
    std::lock_guard lock(mutex_);
    if (State* s = find(id)) {
        s->enabled = enabled;
        touch(*s);
    }
}

bool ControlModel::isEnabled(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s && s->enabled;
}

void ControlModel::setChecked(ControlId id, bool checked) {
    std::lock_guard lock(mutex_);
    if (State* s = find(id)) {
        s->checked = checked;
        touch(*s);
    }
}

bool ControlModel::isChecked(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s && s->checked;
}

int ControlModel::addEntry(ControlId id, std::string_view text) {
    std::lock_guard lock(mutex_);
    State* s = find(id);
    if (!s || !isList(s->layout->kind)) return -1;
    s->entries.emplace_back(text);
    touch(*s);
    return static_cast<int>(s->entries.size()) - 1;
}

void ControlModel::setEntryText(ControlId id, int index, std::string_view text) {
    std::lock_guard lock(mutex_);
    State* s = find(id);
    if (!s || index < 0 || index >= static_cast<int>(s->entries.size())) return;
    s->entries[static_cast<std::size_t>(index)].assign(text);
    touch(*s);
}

void ControlModel::deleteEntry(ControlId id, int index) {
    std::lock_guard lock(mutex_);
    State* s = find(id);
    if (!s || index < 0 || index >= static_cast<int>(s->entries.size())) return;
    s->entries.erase(s->entries.begin() + index);
    // The selection follows its entry; deleting the selected entry leaves none.
    if (s->selection == index) {
        s->selection = -1;
    } else if (s->selection > index) {
        --s->selection;
    }
    touch(*s);
}

void ControlModel::clearEntries(ControlId id) {
    std::lock_guard lock(mutex_);
    if (State* s = find(id)) {
        s->entries.clear();
        s->selection = -1;
        touch(*s);
    }
}

int ControlModel::entryCount(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? static_cast<int>(s->entries.size()) : 0;
}

std::string ControlModel::entryText(ControlId id, int index) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    if (!s || index < 0 || index >= static_cast<int>(s->entries.size())) return {};
    return s->entries[index];
}

std::vector<std::string> ControlModel::entries(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? s->entries : std::vector<std::string>{};
}

int ControlModel::selectedIndex(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? s->selection : -1;
}

void ControlModel::select(ControlId id, int index) {
    std::lock_guard lock(mutex_);
    State* s = find(id);
    if (!s) return;
    s->selection = (index >= 0 && index < static_cast<int>(s->entries.size())) ? index : -1;
    touch(*s);
}

int ControlModel::findPrefix(ControlId id, std::string_view prefix) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    if (!s) return -1;
    for (std::size_t i = 0; i < s->entries.size(); ++i) {
        if (startsWithIgnoringCase(s->entries[i], prefix)) return static_cast<int>(i);
    }
    return -1;
}

void ControlModel::setBarRange(ControlId id, int minimum, int maximum) {
    std::lock_guard lock(mutex_);
    if (State* s = find(id)) {
        s->range = {minimum, maximum};
        s->position = std::clamp(s->position, minimum, std::max(minimum, maximum));
        touch(*s);
    }
}

void ControlModel::setBarPosition(ControlId id, int position) {
    std::lock_guard lock(mutex_);
    if (State* s = find(id)) {
        const int clamped = std::clamp(position, s->range.minimum, std::max(s->range.minimum, s->range.maximum));
        if (clamped != s->position) {
            s->position = clamped;
            touch(*s);
        }
    }
}

int ControlModel::barPosition(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? s->position : 0;
}

ControlModel::BarRange ControlModel::barRange(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? s->range : BarRange{};
}

void ControlModel::setBarBackground(ControlId id, Rgb colour) {
    std::lock_guard lock(mutex_);
    if (State* s = find(id)) {
        s->background = colour;
        touch(*s);
    }
}

void ControlModel::setBarColour(ControlId id, Rgb colour) {
    std::lock_guard lock(mutex_);
    if (State* s = find(id)) {
        s->colour = colour;
        touch(*s);
    }
}

Rgb ControlModel::barBackground(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? s->background : Rgb{};
}

Rgb ControlModel::barColour(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? s->colour : Rgb{};
}

void ControlModel::setTrackPosition(ControlId id, int position) {
    std::lock_guard lock(mutex_);
    if (State* s = find(id)) {
        s->position = std::clamp(position, 0, 100);
        touch(*s);
    }
}

int ControlModel::trackPosition(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? s->position : 0;
}

void ControlModel::setDefaultButton(ControlId id) {
    std::lock_guard lock(mutex_);
    defaultButton_ = id;
    ++revision_;
}

ControlId ControlModel::defaultButton() const {
    std::lock_guard lock(mutex_);
    return defaultButton_;
}

void ControlModel::setFocus(ControlId id) {
    std::lock_guard lock(mutex_);
    focus_ = id;
    ++revision_;
}

ControlId ControlModel::focus() const {
    std::lock_guard lock(mutex_);
    return focus_;
}

void ControlModel::postMessage(const WindowMessage& message) {
    std::function<void()> listener;
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(message);
        listener = messagePosted_;
    }
    if (listener) listener();
}

std::vector<WindowMessage> ControlModel::takePostedMessages() {
    std::lock_guard lock(mutex_);
    std::vector<WindowMessage> taken(posted_.begin(), posted_.end());
    posted_.clear();
    return taken;
}

void ControlModel::onMessagePosted(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    messagePosted_ = std::move(listener);
}

std::uint64_t ControlModel::revision() const {
    std::lock_guard lock(mutex_);
    return revision_;
}

std::uint64_t ControlModel::revision(ControlId id) const {
    std::lock_guard lock(mutex_);
    const State* s = find(id);
    return s ? s->revision : 0;
}

}  // namespace ditdahl
