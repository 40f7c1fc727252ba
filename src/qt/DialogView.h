// The Qt view of one dialog's ControlModel: builds a widget for every control
// of the template at its place and size (dialog units converted with the
// dialog font's metrics), paints the model at display rate, and turns the
// user's clicks, typing, list choices, track-bar moves and keys into the
// dialog procedure's notifications. It keeps nothing the model does not have:
// input is written into the model first, then reported. Window thread only.
#pragma once

#include <QFont>
#include <QHash>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "portable/ControlModel.h"
#include "qt/DialogUnits.h"
#include "shell/WindowProcedure.h"

namespace ditdahl {

class DialogView final : public QWidget {
    Q_OBJECT
public:
    // Repaints per second while the dialog runs.
    static constexpr int refreshRateHz = 60;

    DialogView(ControlModel& model, WindowProcedure& procedure, QWidget* parent = nullptr);

    // The client area's size in pixels.
    QSize clientSize() const { return clientSize_; }
    const BaseUnits& baseUnits() const { return units_; }
    QWidget* widgetFor(ControlId id) const { return widgets_.value(id, nullptr); }
    // Focuses the first enabled control that the Tab key visits.
    void focusFirstTabStop();
    // Brings every widget up to date with the model and delivers the messages
    // posted to the dialog. Runs on a timer; the view also calls it right
    // after each notification it delivers.
    void refresh();
    // Delivers a notification from outside the controls (a menu item, the
    // close box), then refreshes.
    void command(int id, int notificationCode);
    void message(const WindowMessage& message);

signals:
    // The procedure has ended the dialog.
    void ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        const ControlTemplate* layout = nullptr;
        QWidget* widget = nullptr;
        std::uint64_t seenRevision = ~std::uint64_t{0};
    };

    QWidget* createWidget(const ControlTemplate& control);
    void connectInput(const ControlTemplate& control, QWidget* widget);
    void syncControl(const Entry& entry);
    void syncFocusAndDefault();
    void afterDispatch();
    bool handleKey(QObject* watched, int key);

    ControlModel& model_;
    WindowProcedure& procedure_;
    QFont font_;
    BaseUnits units_;
    QSize clientSize_;
    std::vector<Entry> entries_;
    QHash<ControlId, QWidget*> widgets_;
    QHash<const QObject*, ControlId> ids_;
    QTimer timer_;
    QTimer secondTimer_;
    std::uint64_t seenRevision_ = ~std::uint64_t{0};
    ControlId shownFocus_ = 0;
    ControlId shownDefault_ = -2;
    bool refreshing_ = false;
    bool endedSignalled_ = false;
};

}  // namespace ditdahl
