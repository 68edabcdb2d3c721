#pragma once

#include <QPoint>
#include <QVariant>
#include <QWidget>

#include "toolkit/Twips.h"

namespace toolkit {

inline constexpr const char* kTabIndexProperty = "TabIndex";

// Where the client area of a widget's container begins, in the container's
// pixels: inside the border of a framed picture box, say.
inline QPoint clientOrigin(const QWidget& widget) {
    const QWidget* container = widget.parentWidget();
    return container ? container->contentsRect().topLeft() : QPoint();
}

// Whether the user can click the widget now: it is on screen (its window,
// its tab and itself shown) and enabled. A press from the keyboard or from
// assistive technology is refused whenever a click could not land.
inline bool canBeClicked(const QWidget& widget) { return widget.isVisible() && widget.isEnabled(); }

// Geometry in twips and the Visible flag, on top of any Qt widget. Visible
// is the control's own flag: a control on a hidden tab is still Visible.
// Left and Top count from the client area of the container, so a border
// around the container never moves the controls inside it.
template <class Base>
class Control : public Base {
public:
    using Base::Base;

    bool Visible() const { return !this->isHidden(); }
    float Left() const { return toTwips(this->x() - clientOrigin(*this).x()); }
    float Top() const { return toTwips(this->y() - clientOrigin(*this).y()); }
    float Width() const { return toTwips(this->width()); }
    float Height() const { return toTwips(this->height()); }
    void setLeft(float twips) { this->move(clientOrigin(*this).x() + toPixels(twips), this->y()); }
    void setTop(float twips) { this->move(this->x(), clientOrigin(*this).y() + toPixels(twips)); }
    void Move(float left, float top, float width, float height) {
        const QPoint origin = clientOrigin(*this);
        this->setGeometry(origin.x() + toPixels(left), origin.y() + toPixels(top), toPixels(width), toPixels(height));
    }
    // The place of the control in its window's focus order (see
    // orderFocusByTabIndex); -1 while it has none.
    int TabIndex() const {
        const QVariant index = this->property(kTabIndexProperty);
        return index.isValid() ? index.toInt() : -1;
    }
    void setTabIndex(int index) { this->setProperty(kTabIndexProperty, index); }
};

// Chains the focus order of every control under the window by ascending
// TabIndex, whatever their containers. Controls that take no focus keep
// their place in the numbering but are skipped by the keyboard; so are
// controls that lie wholly outside the window, which take no focus at all.
void orderFocusByTabIndex(QWidget& window);

}  // namespace toolkit
