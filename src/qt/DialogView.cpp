#include "qt/DialogView.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>

#include <functional>

#include "qt/LevelBar.h"
#include "shell/AutomaticButtons.h"
#include "station/ControlIds.h"

namespace ditdahl {
namespace {

QString fromModel(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toModel(const QString& text) { return text.toUtf8().toStdString(); }

QColor toColour(Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// A drop-down list that reports its list opening and closing.
class DropDownList final : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void(int)> notifyPopup;

    void showPopup() override {
        if (notifyPopup) notifyPopup(notify::listDropDown);
        open_ = true;
        QComboBox::showPopup();
    }
    // Qt also hides a list that was never opened (when the box goes): that is
    // no close-up, and must not reach the window procedure, which may be gone.
    void hidePopup() override {
        QComboBox::hidePopup();
        if (!open_) return;
        open_ = false;
        if (notifyPopup) notifyPopup(notify::listCloseUp);
    }

private:
    bool open_ = false;
};

bool sameEntries(const QComboBox& box, const std::vector<std::string>& entries) {
    if (box.count() != static_cast<int>(entries.size())) return false;
    for (int i = 0; i < box.count(); ++i) {
        if (box.itemText(i) != fromModel(entries[i])) return false;
    }
    return true;
}

bool sameEntries(const QListWidget& list, const std::vector<std::string>& entries) {
    if (list.count() != static_cast<int>(entries.size())) return false;
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text() != fromModel(entries[i])) return false;
    }
    return true;
}

Qt::Alignment textAlignment(std::uint32_t styles) {
    if (styles & style::alignRight) return Qt::AlignRight | Qt::AlignVCenter;
    if (styles & style::alignCentre) return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

DialogView::DialogView(ControlModel& model, WindowProcedure& procedure, QWidget* parent)
    : QWidget(parent), model_(model), procedure_(procedure) {
    const DialogTemplate& dialog = model.dialog();
    font_ = QFont(QString::fromUtf8(dialog.fontFace.data(), static_cast<qsizetype>(dialog.fontFace.size())));
    font_.setStyleHint(QFont::SansSerif);
    font_.setPointSize(dialog.fontPoints);
    setFont(font_);
    units_ = baseUnitsFor(font_);
    clientSize_ = QSize(horizontalPixels(units_, dialog.width), verticalPixels(units_, dialog.height));
    setFixedSize(clientSize_);

    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& control : dialog.controls) {
        QWidget* widget = createWidget(control);
        QRect place = dialogRectToPixels(units_, control.x, control.y, control.width, control.height);
        if (control.kind == ControlKind::DropDownList) place.setHeight(widget->sizeHint().height());
        widget->setGeometry(place);
        widget->installEventFilter(this);
        if (control.id != ids::noId) {
            widgets_.insert(control.id, widget);
            ids_.insert(widget, control.id);
            if (const auto colour = procedure_.controlBackground(control.id)) {
                QPalette palette = widget->palette();
                palette.setColor(QPalette::Window, toColour(*colour));
                palette.setColor(QPalette::Button, toColour(*colour));
                widget->setPalette(palette);
                widget->setAutoFillBackground(true);
            }
            if (const auto request = procedure_.controlFont(control.id)) {
                QFont font(QString::fromUtf8(request->face.data(), static_cast<qsizetype>(request->face.size())));
                font.setPixelSize(request->pixelHeight);
                font.setFixedPitch(request->fixedPitch);
                if (request->fixedPitch) font.setStyleHint(QFont::TypeWriter);
                widget->setFont(font);
            }
            connectInput(control, widget);
        }
        if (control.styles & style::tabStop) {
            if (previousTabStop) setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        }
        entries_.push_back({&control, widget});
    }
    // Group boxes are frames drawn behind the controls they surround and
    // never take the controls' clicks.
    for (const Entry& entry : entries_) {
        if (entry.layout->kind == ControlKind::Group) entry.widget->lower();
    }

    timer_.setInterval(1000 / refreshRateHz);
    connect(&timer_, &QTimer::timeout, this, &DialogView::refresh);
    timer_.start();
    refresh();
}

QWidget* DialogView::createWidget(const ControlTemplate& control) {
    const QString caption = QString::fromUtf8(control.caption.data(), static_cast<qsizetype>(control.caption.size()));
    const bool tabStop = (control.styles & style::tabStop) != 0;
    switch (control.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(caption, this);
            label->setAlignment((control.styles & style::alignCentre) ? Qt::AlignHCenter | Qt::AlignTop
                                                                      : Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::Group: {
            auto* group = new QGroupBox(caption, this);
            group->setAttribute(Qt::WA_TransparentForMouseEvents);
            group->setFocusPolicy(Qt::NoFocus);
            return group;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(this);
            edit->setReadOnly(control.styles & style::readOnly);
            edit->setAlignment(textAlignment(control.styles));
            edit->setFrame((control.styles & (style::border | style::staticEdge)) != 0);
            if (control.styles & style::digitsOnly) {
                edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
            }
            edit->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
            return edit;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(caption, this);
            button->setAutoDefault(false);
            button->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
            return button;
        }
        case ControlKind::Radio: {
            auto* radio = new QRadioButton(caption, this);
            radio->setAutoExclusive(false);
            radio->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
            return radio;
        }
        case ControlKind::TickBox: {
            auto* tick = new QCheckBox(caption, this);
            tick->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
            return tick;
        }
        case ControlKind::ListBox: {
            auto* list = new QListWidget(this);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            list->setVerticalScrollBarPolicy((control.styles & style::vScroll) ? Qt::ScrollBarAlwaysOn
                                                                               : Qt::ScrollBarAlwaysOff);
            list->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
            return list;
        }
        case ControlKind::DropDownList: {
            auto* box = new DropDownList(this);
            box->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
            // The template gives the height of the opened list; the closed box
            // is as high as its text needs, the rest is the list's.
            const int closedHeight = box->sizeHint().height();
            const int openHeight = verticalPixels(units_, control.height);
            const int rowHeight = std::max(1, QFontMetrics(font_).height());
            box->setMaxVisibleItems(std::max(1, (openHeight - closedHeight) / rowHeight));
            return box;
        }
        case ControlKind::ProgressBar:
            return new LevelBar(this);
        case ControlKind::TrackBar: {
            auto* slider = new QSlider(Qt::Vertical, this);
            slider->setRange(0, 100);
            slider->setInvertedAppearance(true);  // position 0 at the top
            slider->setInvertedControls(true);
            slider->setTickPosition(QSlider::TicksLeft);
            slider->setTickInterval(100);
            slider->setPageStep(20);
            slider->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
            return slider;
        }
    }
    return new QWidget(this);
}

void DialogView::connectInput(const ControlTemplate& control, QWidget* widget) {
    const ControlId id = control.id;
    switch (control.kind) {
        case ControlKind::Edit: {
            auto* edit = static_cast<QLineEdit*>(widget);
            connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& text) {
                model_.setText(id, toModel(text));
                command(id, notify::editChange);
            });
            break;
        }
        case ControlKind::Button:
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    [this, id] { command(id, notify::buttonClicked); });
            break;
        case ControlKind::Radio:
        case ControlKind::TickBox:
            connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this, [this, id] {
                clickAutomaticButton(model_, model_.dialog(), id);
                command(id, notify::buttonClicked);
            });
            break;
        case ControlKind::ListBox: {
            auto* list = static_cast<QListWidget*>(widget);
            connect(list, &QListWidget::currentRowChanged, this, [this, id](int row) {
                if (refreshing_ || row == model_.selectedIndex(id)) return;
                model_.select(id, row);
                command(id, notify::listSelectionChange);
            });
            connect(list, &QListWidget::itemDoubleClicked, this, [this, id] { command(id, notify::listDoubleClick); });
            break;
        }
        case ControlKind::DropDownList: {
            auto* box = static_cast<DropDownList*>(widget);
            box->notifyPopup = [this, id](int code) { command(id, code); };
            connect(box, &QComboBox::activated, this, [this, id](int index) {
                // Choosing the entry that is already selected changes nothing.
                if (index == model_.selectedIndex(id)) return;
                model_.select(id, index);
                command(id, notify::listSelectionChange);
            });
            break;
        }
        case ControlKind::TrackBar: {
            auto* slider = static_cast<QSlider*>(widget);
            connect(slider, &QSlider::sliderMoved, this, [this, id](int position) {
                model_.setTrackPosition(id, position);
                procedure_.onVScroll(id, scroll::thumbTrack);
                afterDispatch();
            });
            connect(slider, &QSlider::sliderReleased, this, [this, id, slider] {
                model_.setTrackPosition(id, slider->value());
                procedure_.onVScroll(id, scroll::endTrack);
                afterDispatch();
            });
            // Keys and clicks beside the thumb move it in steps; each step is
            // a finished move.
            connect(slider, &QSlider::valueChanged, this, [this, id, slider](int position) {
                if (refreshing_ || slider->isSliderDown() || position == model_.trackPosition(id)) return;
                const bool up = position < model_.trackPosition(id);
                model_.setTrackPosition(id, position);
                procedure_.onVScroll(id, up ? scroll::lineUp : scroll::lineDown);
                procedure_.onVScroll(id, scroll::endTrack);
                afterDispatch();
            });
            break;
        }
        default:
            break;
    }
}

void DialogView::command(int id, int notificationCode) {
    procedure_.onCommand(id, notificationCode);
    afterDispatch();
}

void DialogView::message(const WindowMessage& message) {
    procedure_.onMessage(message);
    afterDispatch();
}

void DialogView::afterDispatch() {
    if (procedure_.ended()) {
        timer_.stop();
        if (!endedSignalled_) {
            endedSignalled_ = true;
            emit ended();
        }
        return;
    }
    refresh();
}

void DialogView::refresh() {
    if (refreshing_ || endedSignalled_) return;
    refreshing_ = true;
    const std::uint64_t revision = model_.revision();
    if (revision != seenRevision_) {
        seenRevision_ = revision;
        for (Entry& entry : entries_) {
            if (entry.layout->id == ids::noId) continue;
            const std::uint64_t controlRevision = model_.revision(entry.layout->id);
            if (controlRevision == entry.seenRevision) continue;
            entry.seenRevision = controlRevision;
            syncControl(entry);
        }
        syncFocusAndDefault();
    }
    refreshing_ = false;
    for (const WindowMessage& posted : model_.takePostedMessages()) {
        procedure_.onMessage(posted);
        if (procedure_.ended()) break;
    }
    if (procedure_.ended()) afterDispatch();
}

void DialogView::syncControl(const Entry& entry) {
    const ControlId id = entry.layout->id;
    QWidget* widget = entry.widget;
    const bool enabled = model_.isEnabled(id);
    if (widget->isEnabled() != enabled) widget->setEnabled(enabled);
    switch (entry.layout->kind) {
        case ControlKind::Edit: {
            auto* edit = static_cast<QLineEdit*>(widget);
            const QString text = fromModel(model_.text(id));
            if (edit->text() != text) edit->setText(text);
            break;
        }
        case ControlKind::Button:
        case ControlKind::Label:
        case ControlKind::Group: {
            const QString text = fromModel(model_.text(id));
            if (auto* button = qobject_cast<QPushButton*>(widget); button && button->text() != text)
                button->setText(text);
            break;
        }
        case ControlKind::Radio:
        case ControlKind::TickBox: {
            auto* button = static_cast<QAbstractButton*>(widget);
            const QString text = fromModel(model_.text(id));
            if (button->text() != text) button->setText(text);
            button->setChecked(model_.isChecked(id));
            break;
        }
        case ControlKind::ListBox: {
            auto* list = static_cast<QListWidget*>(widget);
            const std::vector<std::string> entries = model_.entries(id);
            if (!sameEntries(*list, entries)) {
                list->clear();
                for (const std::string& text : entries) list->addItem(fromModel(text));
            }
            const int selection = model_.selectedIndex(id);
            if (list->currentRow() != selection) {
                list->setCurrentRow(selection);
                if (selection >= 0) list->scrollToItem(list->item(selection));
            }
            break;
        }
        case ControlKind::DropDownList: {
            auto* box = static_cast<QComboBox*>(widget);
            const std::vector<std::string> entries = model_.entries(id);
            if (!sameEntries(*box, entries)) {
                box->clear();
                for (const std::string& text : entries) box->addItem(fromModel(text));
            }
            const int selection = model_.selectedIndex(id);
            if (box->currentIndex() != selection) box->setCurrentIndex(selection);
            break;
        }
        case ControlKind::ProgressBar: {
            auto* bar = static_cast<LevelBar*>(widget);
            const ControlModel::BarRange range = model_.barRange(id);
            bar->setRange(range.minimum, range.maximum);
            bar->setPosition(model_.barPosition(id));
            bar->setColours(toColour(model_.barBackground(id)), toColour(model_.barColour(id)));
            break;
        }
        case ControlKind::TrackBar: {
            auto* slider = static_cast<QSlider*>(widget);
            if (!slider->isSliderDown()) slider->setValue(model_.trackPosition(id));
            break;
        }
    }
}

void DialogView::syncFocusAndDefault() {
    const ControlId defaultId = model_.defaultButton();
    if (defaultId != shownDefault_) {
        shownDefault_ = defaultId;
        for (const Entry& entry : entries_) {
            if (auto* button = qobject_cast<QPushButton*>(entry.widget))
                button->setDefault(entry.layout->id == defaultId);
        }
    }
    const ControlId focusId = model_.focus();
    if (focusId != shownFocus_) {
        shownFocus_ = focusId;
        if (QWidget* widget = widgetFor(focusId); widget && !widget->hasFocus()) widget->setFocus(Qt::OtherFocusReason);
    }
}

void DialogView::focusFirstTabStop() {
    for (const Entry& entry : entries_) {
        if ((entry.layout->styles & style::tabStop) && entry.widget->isEnabled()) {
            entry.widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

bool DialogView::handleKey(QObject* watched, int key) {
    if (key == Qt::Key_Escape) {
        command(ids::cancelCommand, notify::buttonClicked);
        return true;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    // Enter presses the focused push button, else the default button.
    ControlId target = model_.defaultButton();
    if (auto* button = qobject_cast<QPushButton*>(watched)) target = ids_.value(button, target);
    QWidget* widget = widgetFor(target);
    if (widget && widget->isEnabled()) command(target, notify::buttonClicked);
    return true;
}

bool DialogView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) break;
            if (handleKey(watched, key->key())) return true;
            break;
        }
        case QEvent::FocusIn: {
            const ControlId id = ids_.value(watched, ids::noId);
            if (id == ids::noId) break;
            shownFocus_ = id;
            model_.setFocus(id);
            if (qobject_cast<QLineEdit*>(watched)) command(id, notify::editSetFocus);
            break;
        }
        case QEvent::Wheel: {
            // A wheel turned to scroll past a list or the threshold bar must
            // not change it, as on every desktop: only the control with focus
            // takes the wheel.
            auto* control = qobject_cast<QWidget*>(watched);
            const bool takesWheel = qobject_cast<QComboBox*>(watched) || qobject_cast<QSlider*>(watched);
            if (control && takesWheel && !control->hasFocus()) return true;
            break;
        }
        case QEvent::FocusOut: {
            const ControlId id = ids_.value(watched, ids::noId);
            if (id != ids::noId && qobject_cast<QLineEdit*>(watched)) command(id, notify::editKillFocus);
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ditdahl
