#pragma once

#include <QColor>
#include <QFrame>
#include <QPixmap>
#include <QString>

#include "toolkit/Control.h"
#include "toolkit/LazyPicture.h"

namespace toolkit {

// A picture box: draws its picture unscaled from the top-left corner of its
// client area (inside the border), cuts off what exceeds it, and may contain
// other controls, placed from that same corner.
class PictureBox : public Control<QFrame> {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent);
    void setPicture(const QPixmap& picture);
    void setPicture(const QString& path);
    const QPixmap& Picture() const { return picture_.get(); }
    void setBackColor(const QColor& color);
    void setBorder(bool singleLine);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LazyPicture picture_;
};

}  // namespace toolkit
