#pragma once

#include <QString>

#include "toolkit/Application.h"

namespace toolkit {

// The text a user is shown for an error nothing absorbed: its number (with
// the hexadecimal form beside a negative one) and its description.
QString describeUnhandled(const Error& error);

// Shows an unabsorbed error in a modal message box.
class MessageBoxPresenter : public ErrorPresenter {
public:
    explicit MessageBoxPresenter(QString title) : title_(std::move(title)) {}
    void present(const Error& error) override;

private:
    QString title_;
};

}  // namespace toolkit
