#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

#include "toolkit/Control.h"

namespace toolkit {

// A label: a caption drawn on a transparent background. With AutoSize it
// takes the size of its caption in whatever font it has.
class Label : public Control<QLabel> {
    Q_OBJECT
public:
    explicit Label(QWidget* parent);

    QString Caption() const { return text(); }
    void setCaption(const QString& caption);
    void setAutoSize(bool autoSize);
    bool AutoSize() const { return autoSize_; }
    void setForeColor(const QColor& color);

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitToCaption();
    bool autoSize_ = false;
};

}  // namespace toolkit
