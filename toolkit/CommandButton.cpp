#include "toolkit/CommandButton.h"

namespace toolkit {

CommandButton::CommandButton(QWidget* parent) : Control<QPushButton>(parent) {
    // Assistive technology may press a button on a tab that is not shown;
    // a mouse could not, so neither may it.
    connect(this, &QPushButton::clicked, this, [this] {
        if (canBeClicked(*this)) emit Click();
    });
}

}  // namespace toolkit
