#pragma once

#include <QIcon>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>
#include <type_traits>

#include "toolkit/Application.h"
#include "toolkit/Timer.h"

namespace toolkit {

// The top-level Qt window of a loaded form. It forwards the user's close and
// the size changes to its form through the application's dispatch point.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(class Form& form);

    // Keeps each control the window holds from showing outside the form's
    // client area, however large the window is made.
    void clipToClientArea(QWidget& control, QSize client);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Form& form_;
};

enum class StartUpPosition { Manual, CenterScreen };

// What a form's window looks like before any control is made.
struct FormStyle {
    QString caption;
    QSize clientTwips;  // width and height of the client area, twips
    QIcon icon;
    StartUpPosition position = StartUpPosition::Manual;
};

// A window with a single instance: the Form object lives as long as the
// application and is loaded (window and controls built), shown, and unloaded
// (window and controls destroyed) any number of times.
class Form {
public:
    explicit Form(Application& app);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Builds the window and its controls, then raises Form_Load. Does nothing
    // when the form is loaded already. An error from Form_Load leaves the form
    // unloaded and passes on to the caller.
    void Load();
    // Loads the form when needed, then shows it modeless and brings it forward.
    void Show();
    // Destroys the window with its controls and timers. Safe while one of its
    // controls is still inside its own event: deletion waits for the loop.
    void Unload();

    bool isLoaded() const { return window_ != nullptr; }

    // Outer position on the screen and client-area size, in twips.
    float Left() const;
    float Top() const;
    void setLeft(float twips);
    void setTop(float twips);
    float ScaleWidth() const;
    float ScaleHeight() const;
    // 0 normal, 1 minimised, 2 maximised.
    int WindowState() const;

    // The loaded window, or null when the form is not loaded.
    QWidget* window() const { return window_; }
    Application& application() const { return app_; }

protected:
    // Connects a control's notification to a handler of this form, through
    // the application's dispatch point. A notification held during a wait
    // is dropped if its window has been unloaded by the time it is due.
    // So is one whose control has been hidden or disabled meanwhile.
    template <class Sender, class Signal, class Handler>
    void bind(Sender* sender, Signal signal, Handler handler) {
        QPointer<QWidget> control;
        if constexpr (std::is_base_of_v<QWidget, Sender>) control = sender;
        QObject::connect(sender, signal, window_, [this, handler, control, from = window_] {
            app_.dispatch(
                [this, handler, from] {
                    if (from && window_ == from) handler();
                },
                this, control.data());
        });
    }
    // Ticks go through the dispatch point only while no handler is running.
    template <class Handler>
    void bindTimer(Timer* timer, Handler handler) {
        QObject::connect(timer, &Timer::Tick, window_, [this, handler] { app_.dispatchWhenIdle(handler, this); });
    }

    virtual FormStyle style() const = 0;
    // Builds every control of the layout as a child of the window.
    virtual void createControls(QWidget& window) = 0;
    // Forgets the controls of a window that is being unloaded.
    virtual void releaseControls() {}

    virtual void Form_Load() {}
    virtual void Form_Resize() {}

private:
    friend class FormWindow;
    friend class Application;
    void hideWindow();
    void closedByUser();
    void resized();
    void placeOnScreen();
    void centreOnceFramed();
    void clipControlsToClientArea();

    Application& app_;
    QPointer<FormWindow> window_;
    // Twips last set through Left/Top, kept while the window has not moved,
    // so that a fractional position reads back as it was set.
    std::optional<float> setLeft_, setTop_;
    // The client area the form is laid out for, in pixels. A window made
    // larger (tiled, or resized where no window manager keeps it at its
    // fixed size) shows the form's background beyond it.
    QSize clientPixels_;
    bool loading_ = false;
    // A freshly loaded window is placed when it is first shown, whether the
    // show loaded it or a Load before it did.
    bool placePending_ = false;
    // A centred window is centred again, frame and all, once the window
    // manager has framed it: only then is the frame's size known.
    bool centrePending_ = false;
};

}  // namespace toolkit
