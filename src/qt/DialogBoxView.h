// A modal dialog box on the desktop (the About box): the dialog view of its
// controls in a fixed-size window owned by the main window, placed at the
// owner's client origin. Escape does not close it; the close box asks the
// procedure. Window thread.
#pragma once

#include <QDialog>

#include "qt/DialogView.h"
#include "station/ControlIds.h"

namespace ditdahl {

class DialogBoxView final : public QDialog {
    Q_OBJECT
public:
    DialogBoxView(ControlModel& model, WindowProcedure& procedure, QWidget* owner);

    // Runs the procedure's start-up and the dialog until the procedure ends.
    void run();
    DialogView& dialogView() { return *view_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    WindowProcedure& procedure_;
    DialogView* view_;
};

// Runs dialog boxes over the main window.
class QtDialogRunner final : public DialogRunner {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }
    void runModal(ControlModel& model, WindowProcedure& procedure) override;

private:
    QWidget* owner_ = nullptr;
};

}  // namespace ditdahl
