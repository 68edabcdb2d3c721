#include "toolkit/MessageBoxPresenter.h"

#include <QMessageBox>

namespace toolkit {

QString describeUnhandled(const Error& error) {
    QString number = QString::number(error.number());
    if (error.number() < 0)
        number += QStringLiteral(" (%1)").arg(static_cast<quint32>(error.number()), 8, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("Run-time error '%1':\n\n%2").arg(number, QString::fromUtf8(error.description()));
}

void MessageBoxPresenter::present(const Error& error) {
    QMessageBox box(QMessageBox::Critical, title_, describeUnhandled(error), QMessageBox::Ok);
    box.exec();
}

}  // namespace toolkit
