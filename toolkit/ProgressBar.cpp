#include "toolkit/ProgressBar.h"

#include <QPainter>
#include <algorithm>

namespace toolkit {

ProgressBar::ProgressBar(QWidget* parent)
    : Control<QWidget>(parent),
      background_(palette().color(QPalette::Base)),
      bar_(palette().color(QPalette::Highlight)) {}

void ProgressBar::setValue(float value) {
    value_ = value;
    update();
}
void ProgressBar::setMin(float min) {
    min_ = min;
    update();
}
void ProgressBar::setMax(float max) {
    max_ = max;
    update();
}

std::intptr_t ProgressBar::handleMessage(std::uint32_t message, std::uintptr_t, std::intptr_t lParam) {
    // Both messages answer the colour they replace.
    const auto toRef = [](const QColor& c) {
        return static_cast<std::intptr_t>(static_cast<std::uint32_t>(c.red()) |
                                          (static_cast<std::uint32_t>(c.green()) << 8) |
                                          (static_cast<std::uint32_t>(c.blue()) << 16));
    };
    std::intptr_t previous = 0;
    if (message == messages::PBM_SETBKCOLOR) {
        previous = toRef(background_);
        background_ = colorFromRef(static_cast<std::uint32_t>(lParam));
    } else if (message == messages::PBM_SETBARCOLOR) {
        previous = toRef(bar_);
        bar_ = colorFromRef(static_cast<std::uint32_t>(lParam));
    } else {
        return 0;
    }
    update();
    return previous;
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    const float span = max_ - min_;
    const float fraction = span > 0 ? std::clamp((value_ - min_) / span, 0.0f, 1.0f) : 0.0f;
    const int filled = static_cast<int>(static_cast<float>(width()) * fraction);
    if (filled > 0) p.fillRect(QRect(0, 0, filled, height()), bar_);
}

}  // namespace toolkit
