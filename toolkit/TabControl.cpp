#include "toolkit/TabControl.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QShortcut>
#include <QTimer>

#include <utility>

#include "toolkit/Accessibility.h"

namespace toolkit {

TabControl::TabControl(QWidget* parent)
    : Control<QWidget>(parent),
      tabFont_(font()),
      face_(palette().color(QPalette::Button)),
      captionColor_(palette().color(QPalette::ButtonText)) {
    setFocusPolicy(Qt::TabFocus);
    installAccessibility();
    // As in every tabbed dialog, wherever the focus is inside it.
    const auto shortcut = [this](QKeyCombination keys, int step) {
        auto* s = new QShortcut(QKeySequence(keys), this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, [this, step] { stepTabFromKeyboard(step); });
    };
    shortcut(Qt::CTRL | Qt::Key_Tab, 1);
    shortcut(Qt::CTRL | Qt::Key_PageDown, 1);
    shortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1);
    shortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1);
    shortcut(Qt::CTRL | Qt::Key_PageUp, -1);
}

// The tab row takes the focus, so that the new tab is what the user hears
// (and sees focused); the page that had the focus is gone.
void TabControl::stepTabFromKeyboard(int step) {
    if (Tabs() == 0 || !canBeClicked(*this)) return;
    setTab((current_ + step + Tabs()) % Tabs());
    setFocus(Qt::ShortcutFocusReason);
}

QWidget* TabControl::addTab(const QString& caption, std::function<void(QWidget& page)> fill) {
    auto* page = new QWidget(this);
    // Known as a page before anything asks assistive technology about it.
    pages_.push_back(page);
    fills_.push_back(std::move(fill));
    captions_.push_back(caption);
    page->setGeometry(rect());
    const bool shownAtCreation = pages_.size() == 1;
    page->setVisible(shownAtCreation);
    page->setAccessibleName(caption);
    if (current_ < 0) current_ = 0;
    if (shownAtCreation) fillPage(0);
    describeSelection();
    update();
    return page;
}

bool TabControl::fillPage(int index) {
    // Taken out first: whatever the page's controls do as they are made,
    // they are made once.
    const auto make = std::exchange(fills_[static_cast<std::size_t>(index)], {});
    if (make) make(*pages_[static_cast<std::size_t>(index)]);
    return static_cast<bool>(make);
}

void TabControl::setTab(int index) {
    if (index < 0 || index >= Tabs() || index == current_) return;
    const int previous = current_;
    // Made while the page is still hidden, so its controls show with it,
    // and given their places in the window's focus order.
    if (fillPage(index)) orderFocusByTabIndex(*window());
    // Show the new page before hiding the old one, so focus never falls
    // out of the window in between.
    pages_[static_cast<std::size_t>(index)]->setVisible(true);
    pages_[static_cast<std::size_t>(previous)]->setVisible(false);
    current_ = index;
    describeSelection();
    update();
    emit Click(previous);
}

// Assistive technology follows the selected tab: it is the focus while
// the tab row has it.
void TabControl::describeSelection() {
    if (current_ < 0) return;
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(current_);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(current_);
        QAccessible::updateAccessibility(&focus);
    }
}

void TabControl::setTabHeight(float twips) {
    tabHeight_ = toPixels(twips);
    update();
}

void TabControl::setTabFont(const QFont& font) {
    tabFont_ = font;
    update();
}

void TabControl::setTabColors(const QColor& face, const QColor& caption) {
    face_ = face;
    captionColor_ = caption;
    update();
}

QRect TabControl::tabRect(int index) const {
    if (Tabs() == 0) return {};
    // One row, the tabs sharing the control's width equally.
    const int w = width() / Tabs();
    return QRect(index * w, 0, index == Tabs() - 1 ? width() - index * w : w, tabHeight_);
}

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QWidget* page : pages_) page->setGeometry(rect());
}

void TabControl::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < Tabs(); ++i) {
        if (tabRect(i).contains(event->position().toPoint())) {
            setTab(i);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void TabControl::keyPressEvent(QKeyEvent* event) {
    if (Tabs() > 0 && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        const int step = event->key() == Qt::Key_Left ? -1 : 1;
        setTab((current_ + step + Tabs()) % Tabs());
        return;
    }
    QWidget::keyPressEvent(event);
}

void TabControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // After the focus notice of the whole control, which Qt sends next.
    QTimer::singleShot(0, this, [this] { describeSelection(); });
    update();
}

void TabControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

// Raised tabs over a raised body. The selected tab, in the face colour,
// stands two pixels higher than the others and opens into the body; the
// others, a shade darker, sit behind it.
void TabControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor highlight(255, 255, 255);
    const QColor outline = face_.lightness() > 60 ? face_.darker(175) : QColor(128, 128, 128);
    const QColor behind = face_.darker(110);
    p.fillRect(rect(), face_);

    // The body's edge below the tab row.
    p.setPen(outline);
    p.drawLine(0, tabHeight_, width() - 1, tabHeight_);
    p.setPen(highlight);
    p.drawLine(0, tabHeight_ + 1, width() - 1, tabHeight_ + 1);

    p.setFont(tabFont_);
    const auto drawTab = [&](int i) {
        const bool selected = i == current_;
        QRect r = tabRect(i);
        if (selected)
            r.adjust(0, 0, 0, 1);  // reaches over the body's edge below it
        else
            r.adjust(1, 2, -1, -1);
        // Face with the top corners cut by one pixel.
        p.fillRect(r.adjusted(1, 1, -1, 0), selected ? face_ : behind);
        p.fillRect(QRect(r.left() + 2, r.top(), r.width() - 4, 1), selected ? face_ : behind);
        p.setPen(outline);
        p.drawLine(r.left(), r.bottom(), r.left(), r.top() + 2);
        p.drawPoint(r.left() + 1, r.top() + 1);
        p.drawLine(r.left() + 2, r.top(), r.right() - 2, r.top());
        p.drawPoint(r.right() - 1, r.top() + 1);
        p.drawLine(r.right(), r.top() + 2, r.right(), r.bottom());
        p.setPen(highlight);
        p.drawLine(r.left() + 1, r.bottom(), r.left() + 1, r.top() + 2);
        p.drawLine(r.left() + 2, r.top() + 1, r.right() - 2, r.top() + 1);

        p.setPen(captionColor_);
        const QRect textRect = r.adjusted(3, selected ? 1 : 0, -3, 0);
        const QString& caption = captions_[static_cast<std::size_t>(i)];
        p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
        if (selected && hasFocus()) {
            QRect focus = p.fontMetrics().boundingRect(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
            focus = focus.adjusted(-2, 0, 2, 0).intersected(r.adjusted(3, 2, -3, -2));
            p.setPen(QPen(captionColor_, 1, Qt::DotLine));
            p.drawRect(focus.adjusted(0, 0, -1, -1));
        }
    };
    for (int i = 0; i < Tabs(); ++i)
        if (i != current_) drawTab(i);
    if (current_ >= 0) drawTab(current_);
}

}  // namespace toolkit
