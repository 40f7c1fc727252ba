// A dialog box on the desktop: the dialog view of its controls in a
// fixed-size window owned by the main window; modal at the owner's client
// origin (the About box), or modeless beside the owner (the Band window).
// Escape does not close it; the close box asks the procedure. Window thread.
#pragma once

#include <QDialog>
#include <QPointer>

#include "qt/DialogView.h"
#include "station/ControlIds.h"

namespace ditdahl {

class DialogBoxView final : public QDialog {
    Q_OBJECT
public:
    DialogBoxView(ControlModel& model, WindowProcedure& procedure, QWidget* owner);

    // Runs the procedure's start-up and the dialog until the procedure ends.
    void run();
    // Runs the procedure's start-up and shows the dialog without waiting;
    // it deletes itself once the procedure has ended.
    void showModeless();
    DialogView& dialogView() { return *view_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void showBeside();

    WindowProcedure& procedure_;
    DialogView* view_;
};

// Runs dialog boxes over the main window.
class QtDialogRunner final : public DialogRunner {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }
    void runModal(ControlModel& model, WindowProcedure& procedure) override;
    void showModeless(ControlModel& model, WindowProcedure& procedure) override;
    QWidget* modelessDialog() const { return modeless_; }

private:
    QWidget* owner_ = nullptr;
    // Gone once it has closed.
    QPointer<DialogBoxView> modeless_;
};

}  // namespace ditdahl
