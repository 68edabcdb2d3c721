#include "toolkit/CheckBox.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include "toolkit/Accessibility.h"
#include "toolkit/SystemColors.h"

namespace toolkit {

CheckBox::CheckBox(QWidget* parent)
    : Control<QWidget>(parent), face_(palette().color(QPalette::Button)), fore_(palette().color(QPalette::ButtonText)) {
    installAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CheckBox::setValue(int value) {
    if (value == value_) return;
    value_ = value;
    update();
    QAccessible::State changed;
    changed.checked = true;
    changed.pressed = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    emit Click();
}

void CheckBox::setCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    update();
    // The caption is the name, part of a lamp's name, or the description.
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent described(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

void CheckBox::setBackColor(const QColor& face) {
    face_ = face;
    update();
}

void CheckBox::setForeColor(const QColor& fore) {
    fore_ = fore;
    update();
}

QSize CheckBox::sizeHint() const { return fontMetrics().size(Qt::TextSingleLine, caption_) + QSize(12, 8); }

void CheckBox::toggleByUser() { setValue(value_ == 1 ? 0 : 1); }

void CheckBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    mouseDown_ = true;
    mouseInside_ = true;
    update();
}

void CheckBox::mouseMoveEvent(QMouseEvent* event) {
    if (!mouseDown_) return QWidget::mouseMoveEvent(event);
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != mouseInside_) {
        mouseInside_ = inside;
        update();
    }
}

void CheckBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !mouseDown_) return QWidget::mouseReleaseEvent(event);
    mouseDown_ = false;
    mouseInside_ = false;
    update();
    if (rect().contains(event->position().toPoint())) toggleByUser();
}

void CheckBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        toggleByUser();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CheckBox::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) update();
}

// A push button: a face with a two-line bevel, light above and left, dark
// below and right; pressed, the bevel turns inward and the caption moves
// down and right by one pixel. Being disabled changes nothing of the look.
void CheckBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool sunken = value_ == 1 || (mouseDown_ && mouseInside_);
    const QRect r = rect();
    p.fillRect(r, face_);

    // The bevel keeps the platform's fixed colours, as the faces do: a
    // desktop's dark or high-contrast palette would draw it into the panel.
    const QColor highlight = systemColor(SystemColor::ButtonHighlight);
    const QColor midlight = systemColor(SystemColor::ButtonLight);
    const QColor shadow = systemColor(SystemColor::ButtonShadow);
    const QColor darkShadow = QColor(0, 0, 0);
    const auto bevel = [&](const QRect& box, const QColor& topLeft, const QColor& bottomRight) {
        p.setPen(topLeft);
        p.drawLine(box.bottomLeft(), box.topLeft());
        p.drawLine(box.topLeft(), box.topRight());
        p.setPen(bottomRight);
        p.drawLine(box.topRight(), box.bottomRight());
        p.drawLine(box.bottomRight(), box.bottomLeft());
    };
    if (sunken) {
        bevel(r, darkShadow, highlight);
        bevel(r.adjusted(1, 1, -1, -1), shadow, midlight);
    } else {
        bevel(r, highlight, darkShadow);
        bevel(r.adjusted(1, 1, -1, -1), midlight, shadow);
    }

    p.setPen(fore_);
    p.setFont(font());
    const QRect textRect = r.adjusted(2, 2, -2, -2).translated(sunken ? 1 : 0, sunken ? 1 : 0);
    p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption_);
    if (hasFocus() && !caption_.isEmpty()) {
        p.setPen(QPen(fore_, 1, Qt::DotLine));
        p.drawRect(r.adjusted(3, 3, -4, -4).translated(sunken ? 1 : 0, sunken ? 1 : 0));
    }
}

}  // namespace toolkit
