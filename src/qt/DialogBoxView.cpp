#include "qt/DialogBoxView.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QTimer>

namespace ditdahl {

DialogBoxView::DialogBoxView(ControlModel& model, WindowProcedure& procedure, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      procedure_(procedure),
      view_(new DialogView(model, procedure, this)) {
    const DialogTemplate& dialog = model.dialog();
    setWindowTitle(QString::fromUtf8(dialog.title.data(), static_cast<qsizetype>(dialog.title.size())));
    setModal(true);
    setFixedSize(view_->clientSize());
    connect(view_, &DialogView::ended, this, [this] { done(1); });
}

void DialogBoxView::run() {
    procedure_.onInit();
    view_->refresh();
    if (procedure_.ended()) return;
    if (QWidget* owner = parentWidget()) {
        QWidget* client = owner;
        if (auto* window = qobject_cast<QMainWindow*>(owner); window && window->centralWidget()) {
            client = window->centralWidget();
        }
        move(client->mapToGlobal(QPoint(0, 0)));
    }
    view_->focusFirstTabStop();
    exec();
}

void DialogBoxView::showModeless() {
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    procedure_.onInit();
    view_->refresh();
    if (procedure_.ended()) {
        deleteLater();
        return;
    }
    QWidget* owner = parentWidget();
    if (!owner || owner->isVisible()) {
        showBeside();
        return;
    }
    // Shown at start-up, before the owner has its place on the screen.
    QTimer::singleShot(0, this, [this] { showBeside(); });
}

void DialogBoxView::showBeside() {
    if (procedure_.ended()) return;
    if (QWidget* owner = parentWidget()) move(owner->frameGeometry().topRight());
    show();
}

void DialogBoxView::closeEvent(QCloseEvent* event) {
    if (!procedure_.ended()) view_->message({wmClose, 0, 0});
    if (procedure_.ended()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void DialogBoxView::reject() {
    if (procedure_.ended()) QDialog::reject();
}

void QtDialogRunner::runModal(ControlModel& model, WindowProcedure& procedure) {
    DialogBoxView box(model, procedure, owner_);
    box.run();
}

void QtDialogRunner::showModeless(ControlModel& model, WindowProcedure& procedure) {
    delete modeless_.data();
    modeless_ = new DialogBoxView(model, procedure, owner_);
    modeless_->showModeless();
}

}  // namespace ditdahl
