#include "toolkit/Form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>

#include "toolkit/Accessibility.h"
#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/Twips.h"

namespace toolkit {

namespace {
constexpr std::chrono::milliseconds kFramingWait{3000};
}  // namespace

FormWindow::FormWindow(Form& form) : QWidget(nullptr), form_(form) { installAccessibility(); }

void FormWindow::clipToClientArea(QWidget& control, QSize client) {
    const QRect inside = QRect(QPoint(0, 0), client).intersected(control.geometry()).translated(-control.pos());
    // An empty region would clear the mask; a control wholly outside the
    // client area keeps one point beyond its own area instead, which shows
    // nothing of it.
    control.setMask(inside.isEmpty() ? QRegion(-1, -1, 1, 1) : QRegion(inside));
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && watched->parent() == this &&
        watched->isWidgetType())
        clipToClientArea(*static_cast<QWidget*>(watched), form_.clientPixels_);
    return QWidget::eventFilter(watched, event);
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // The form decides: unloading hides and disposes of this window.
    event->ignore();
    form_.closedByUser();
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    form_.centreOnceFramed();
    form_.resized();
}

void FormWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // Framing moves the client area; that is when the frame is known.
    form_.centreOnceFramed();
}

void FormWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    constexpr Qt::WindowStates kFilling = Qt::WindowMaximized | Qt::WindowFullScreen;
    if ((windowState() & kFilling) && QGuiApplication::platformName() == QLatin1String("wayland")) {
        // A Wayland compositor that has configured a window maximised (its
        // shortcut, the decoration's button) ends the connection when the
        // window's next frame is not that size, and Qt keeps a fixed-size
        // window at its size. Shown afresh, it is a new window at its own
        // size, before a frame of the old one is sent.
        hide();
        setWindowState(windowState() & ~kFilling);
        show();
    }
    form_.resized();
}

Form::Form(Application& app) : app_(app) {}

Form::~Form() {
    if (window_) {
        app_.formUnloaded(*this);
        delete window_.data();
    }
}

void Form::Load() {
    if (window_ || loading_) return;
    loading_ = true;
    const FormStyle look = style();
    auto* window = new FormWindow(*this);  // owned by this form until unloaded
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowTitle(look.caption);
    if (!look.icon.isNull()) window->setWindowIcon(look.icon);
    // Fixed single border, no minimise or maximise button.
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    clientPixels_ = QSize(toPixels(static_cast<float>(look.clientTwips.width())),
                          toPixels(static_cast<float>(look.clientTwips.height())));
    window->setFixedSize(clientPixels_);
    window_ = window;
    setLeft_.reset();
    setTop_.reset();
    placePending_ = true;
    app_.formLoaded(*this);
    try {
        createControls(*window);
        clipControlsToClientArea();
        Form_Load();
    } catch (...) {
        loading_ = false;
        Unload();
        throw;
    }
    loading_ = false;
}

void Form::Show() {
    Load();
    if (!window_) return;
    if (placePending_) {
        placePending_ = false;
        placeOnScreen();
    }
    if (window_->isVisible() && app_.showsAfreshToBringForward()) window_->hide();
    window_->show();
    // On Wayland the request goes through xdg-activation where the
    // compositor has it, by the platform's own means when it has them.
    window_->raise();
    QWindow* handle = window_->windowHandle();
    if (!handle || !app_.bringForward(*handle)) window_->activateWindow();
    centreOnceFramed();
}

void Form::placeOnScreen() {
    centrePending_ = false;
    if (style().position != StartUpPosition::CenterScreen || setLeft_ || setTop_) return;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    // The frame is not known before the window manager has framed the
    // window: the client area is centred first, the whole frame as soon as
    // it is known. Without a frame the two are the same.
    const QRect area = screen->availableGeometry();
    const QSize size = window_->size();
    window_->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
    centrePending_ = true;
    // A window manager frames a new window at once or never; a frame that
    // comes much later (a window manager started afterwards) must not move
    // a window the user may have placed meanwhile.
    QTimer::singleShot(kFramingWait, window_, [this, window = window_] {
        if (window_ == window) centrePending_ = false;
    });
}

void Form::centreOnceFramed() {
    if (!centrePending_ || !window_ || !window_->isVisible()) return;
    if (setLeft_ || setTop_) {
        centrePending_ = false;
        return;
    }
    const QRect frame = window_->frameGeometry();
    if (frame.size() == window_->size()) return;  // not framed yet
    centrePending_ = false;
    QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QPoint corner(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
    // Asked for as the frame's corner: the window manager then places the
    // frame there, where a client position could be taken for the frame's
    // and land a title bar too low.
    if (QWindow* handle = window_->windowHandle())
        handle->setFramePosition(corner);
    else
        window_->move(corner);
}

void Form::clipControlsToClientArea() {
    for (QWidget* control : window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->isWindow()) continue;
        window_->clipToClientArea(*control, clientPixels_);
        control->installEventFilter(window_);
    }
}

void Form::Unload() {
    if (!window_) return;
    QPointer<FormWindow> window = window_;
    window_ = nullptr;
    app_.formUnloaded(*this);
    releaseControls();
    // Nothing of the old window may reach a handler again: its timers stop
    // and its controls fall silent. Deletion waits for the event loop, since
    // the control whose click unloaded us may still be on the stack.
    for (Timer* timer : window->findChildren<Timer*>()) timer->setEnabled(false);
    for (QObject* child : window->findChildren<QObject*>()) child->blockSignals(true);
    window->blockSignals(true);
    window->hide();
    window->deleteLater();
}

void Form::hideWindow() {
    if (window_) window_->hide();
}

void Form::closedByUser() {
    if (app_.isWaiting()) {
        // The unload itself waits for the running handler; the window goes
        // at once, and so does the wait of a handler of this window, which
        // then fails like a failed request.
        hideWindow();
        if (app_.isRunningHandlerOf(*this)) app_.waiter().cancel();
    }
    app_.dispatch(
        [this, from = window_] {
            if (from && window_ == from) Unload();
        },
        this);
}

void Form::resized() {
    if (!window_ || loading_) return;
    app_.dispatch(
        [this, from = window_] {
            if (from && window_ == from) Form_Resize();
        },
        this);
}

float Form::Left() const {
    if (!window_) return 0.0f;
    const int x = window_->frameGeometry().x();
    if (setLeft_ && toPixels(*setLeft_) == x) return *setLeft_;
    return toTwips(x);
}

float Form::Top() const {
    if (!window_) return 0.0f;
    const int y = window_->frameGeometry().y();
    if (setTop_ && toPixels(*setTop_) == y) return *setTop_;
    return toTwips(y);
}

void Form::setLeft(float twips) {
    if (!window_) return;
    window_->move(toPixels(twips), window_->frameGeometry().y());
    setLeft_ = twips;
}

void Form::setTop(float twips) {
    if (!window_) return;
    window_->move(window_->frameGeometry().x(), toPixels(twips));
    setTop_ = twips;
}

// The client area is the window's inside up to the form's own size: a
// window made larger holds the form at its top-left corner.
float Form::ScaleWidth() const { return window_ ? toTwips(std::min(window_->width(), clientPixels_.width())) : 0.0f; }
float Form::ScaleHeight() const {
    return window_ ? toTwips(std::min(window_->height(), clientPixels_.height())) : 0.0f;
}

int Form::WindowState() const {
    if (!window_) return 0;
    if (window_->isMinimized()) return 1;
    if (window_->isMaximized()) return 2;
    return 0;
}

}  // namespace toolkit
