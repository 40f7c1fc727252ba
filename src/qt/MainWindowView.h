// The main window on the desktop: the dialog view of the main window's
// controls under the menu bar, with the title, the program icon, a fixed size
// and no maximise box. The close box asks the window procedure to close; the
// window really closes only when the procedure has ended. Window thread.
#pragma once

#include <QMainWindow>

#include <vector>

#include "qt/DialogView.h"
#include "station/ControlIds.h"
#include "station/WindowTemplate.h"

namespace ditdahl {

class MainWindowView final : public QMainWindow {
    Q_OBJECT
public:
    MainWindowView(ControlModel& model, WindowProcedure& procedure, std::span<const MenuItemTemplate> menu);

    // Runs the procedure's start-up, then shows the window centred on the
    // screen with the focus on the first tab stop.
    void start();
    DialogView& dialogView() { return *view_; }
    QAction* menuAction(int id) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showTicks();

    WindowProcedure& procedure_;
    DialogView* view_;
    std::vector<QAction*> ticked_;
    bool ending_ = false;
};

}  // namespace ditdahl
