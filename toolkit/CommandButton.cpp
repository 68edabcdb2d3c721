#include "toolkit/CommandButton.h"

namespace toolkit {

CommandButton::CommandButton(QWidget* parent) : Control<QPushButton>(parent) {
    connect(this, &QPushButton::clicked, this, [this] { emit Click(); });
}

}  // namespace toolkit
