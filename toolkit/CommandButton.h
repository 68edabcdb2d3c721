#pragma once

#include <QPushButton>
#include <QString>

#include "toolkit/Control.h"

namespace toolkit {

// A command button.
class CommandButton : public Control<QPushButton> {
    Q_OBJECT
public:
    explicit CommandButton(QWidget* parent);
    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }

signals:
    void Click();
};

}  // namespace toolkit
