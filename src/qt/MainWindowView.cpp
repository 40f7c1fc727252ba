#include "qt/MainWindowView.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

#include "qt/ProgramIcon.h"

namespace ditdahl {

MainWindowView::MainWindowView(ControlModel& model, WindowProcedure& procedure, std::span<const MenuItemTemplate> menu)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      procedure_(procedure),
      view_(new DialogView(model, procedure, this)) {
    const DialogTemplate& dialog = model.dialog();
    setWindowTitle(QString::fromUtf8(dialog.title.data(), static_cast<qsizetype>(dialog.title.size())));
    setWindowIcon(programIcon());
    setCentralWidget(view_);

    QMenu* current = nullptr;
    std::string_view currentName;
    for (const MenuItemTemplate& item : menu) {
        if (!current || item.menu != currentName) {
            currentName = item.menu;
            current = menuBar()->addMenu(QString::fromUtf8(item.menu.data(), static_cast<qsizetype>(item.menu.size())));
            // What a tick stands for can change without a menu command (the
            // Band window closed by its close box).
            connect(current, &QMenu::aboutToShow, this, [this] { showTicks(); });
        }
        QAction* action =
            current->addAction(QString::fromUtf8(item.caption.data(), static_cast<qsizetype>(item.caption.size())));
        action->setData(item.id);
        const int id = item.id;
        if (item.ticked) {
            action->setCheckable(true);
            ticked_.push_back(action);
        }
        // A ticked item shows what the procedure made of the command, not
        // Qt's own toggle.
        connect(action, &QAction::triggered, view_, [this, id] {
            view_->command(id, notify::buttonClicked);
            showTicks();
        });
    }
    menuBar()->setFont(view_->font());

    connect(view_, &DialogView::ended, this, [this] {
        ending_ = true;
        close();
    });
    setFixedSize(view_->clientSize().width(), view_->clientSize().height() + menuBar()->sizeHint().height());
}

QAction* MainWindowView::menuAction(int id) const {
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == id) return action;
        }
    }
    return nullptr;
}

void MainWindowView::showTicks() {
    for (QAction* action : ticked_) action->setChecked(procedure_.menuItemTicked(action->data().toInt()));
}

void MainWindowView::start() {
    procedure_.onInit();
    view_->refresh();
    showTicks();
    if (procedure_.ended()) return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
    view_->focusFirstTabStop();
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    if (!ending_ && !procedure_.ended()) view_->message({wmClose, 0, 0});
    if (procedure_.ended()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace ditdahl
