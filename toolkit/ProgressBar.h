#pragma once

#include <QColor>
#include <QWidget>
#include <cstdint>

#include "toolkit/Control.h"
#include "toolkit/Messages.h"

namespace toolkit {

// A progress bar with a single-precision range and value. Its colours are
// set through window messages sent to its handle, as callers expect.
class ProgressBar : public Control<QWidget>, public MessageTarget {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent);

    float Value() const { return value_; }
    void setValue(float value);
    float Min() const { return min_; }
    void setMin(float min);
    float Max() const { return max_; }
    void setMax(float max);
    Hwnd hWnd() { return Hwnd{this}; }

    QColor backgroundColor() const { return background_; }
    QColor barColor() const { return bar_; }

    std::intptr_t handleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float value_ = 0.0f;
    float min_ = 0.0f;
    float max_ = 100.0f;
    QColor background_;
    QColor bar_;
};

}  // namespace toolkit
