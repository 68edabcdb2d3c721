#pragma once

// What assistive technology (a screen reader through AT-SPI) learns of the
// toolkit's windows and controls: roles that say what each thing is, names
// that say what it shows, and status updates spoken without being asked.
#include <QObject>
#include <QString>

namespace toolkit {

class CheckBox;

// Installs the accessible interfaces of the toolkit's classes, once per
// process; every form window calls it before it is first shown.
void installAccessibility();

// What a push-button check box stands for. Its look is the same in each
// case; what it tells a listener is not.
enum class CheckBoxRole {
    CheckBox,  // a check box, ticked or not
    Command,   // a push button, pressed while checked
    Caption,   // a caption that names what stands beside it
    Lamp,      // a lamp named by its colour: lit while it carries a caption
};
void setCheckBoxRole(CheckBox& box, CheckBoxRole role);
CheckBoxRole checkBoxRole(const CheckBox& box);

// What a lamp says: its colour, its caption and whether it is lit. A lamp
// is lit while it carries a caption, as the legend shows its lamps; one
// that is pressed without a caption is dark.
QString lampReading(const QString& colour, const QString& caption);

// A status update for a window: announce() makes a screen reader speak the
// text once, unasked, as a notification, without anything being drawn.
// Texts set within one event are announced once, the last of them, when
// control returns to the event loop and the window is active (or has had
// time enough to become so); an empty text is not announced.
class Announcer : public QObject {
    Q_OBJECT
public:
    explicit Announcer(QObject* window);
    void announce(const QString& text);
    QString text() const { return text_; }

signals:
    // Raised as each announcement goes out to assistive technology.
    void announced(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void flushOnceActive();
    void flush();
    bool waitedForActivation_ = false;
    QString text_;
    QString pending_;
    bool scheduled_ = false;
};

}  // namespace toolkit
