#include "toolkit/Control.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace toolkit {

namespace {
bool liesOutsideWindow(const QWidget& control, const QWidget& window) {
    const QRect inWindow(control.mapTo(&window, QPoint()), control.size());
    return !inWindow.intersects(window.rect());
}
}  // namespace

void orderFocusByTabIndex(QWidget& window) {
    std::vector<std::pair<int, QWidget*>> indexed;
    for (QWidget* child : window.findChildren<QWidget*>()) {
        const QVariant index = child->property(kTabIndexProperty);
        if (index.isValid()) indexed.emplace_back(index.toInt(), child);
    }
    std::stable_sort(indexed.begin(), indexed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QWidget* previous = nullptr;
    for (const auto& [index, control] : indexed) {
        // A composite control (a text box) takes focus in its editor.
        QWidget* target = control;
        while (target->focusProxy()) target = target->focusProxy();
        // Focus there would be focus on nothing the user can see.
        if (liesOutsideWindow(*control, window)) {
            control->setFocusPolicy(Qt::NoFocus);
            target->setFocusPolicy(Qt::NoFocus);
        }
        if (target->focusPolicy() == Qt::NoFocus) continue;
        // A composite moves as one block, itself with its editor: left
        // behind at its old place, the composite would pass the Tab key on
        // to its editor from there and cut the cycle short.
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

}  // namespace toolkit
