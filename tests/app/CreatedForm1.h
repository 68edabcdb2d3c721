#pragma once

#include "app/Form1.h"
#include "tests/support/Fakes.h"

namespace testing_support {

// The main window exactly as the layout makes it, each tab opened once,
// before start-up hides anything.
class CreatedForm1 : public app::Form1 {
public:
    using Form1::Form1;

protected:
    void Form_Load() override { openEveryTab(*SSTTab0); }
};

}  // namespace testing_support
