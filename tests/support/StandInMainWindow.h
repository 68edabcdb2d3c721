#pragma once

#include <QIcon>
#include <QSize>
#include <QString>

#include "toolkit/Form.h"

namespace testing_support {

// Stands in for the main window where the Adapter Info window, which is
// placed beside it, is tested or measured: a form with the main window's
// client area and nothing in it. Header-only, so that the benchmarks can
// use it without the rest of the test support.
class StandInMainWindow : public toolkit::Form {
public:
    using toolkit::Form::Form;

protected:
    toolkit::FormStyle style() const override { return {QStringLiteral("Main"), QSize(5490, 2940), QIcon(), {}}; }
    void createControls(QWidget&) override {}
};

}  // namespace testing_support
