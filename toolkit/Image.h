#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include "toolkit/Control.h"
#include "toolkit/LazyPicture.h"

namespace toolkit {

// An image: a picture drawn unscaled from the top-left corner.
class Image : public Control<QWidget> {
    Q_OBJECT
public:
    explicit Image(QWidget* parent);
    void setPicture(const QPixmap& picture);
    void setPicture(const QString& path);
    const QPixmap& Picture() const { return picture_.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LazyPicture picture_;
};

}  // namespace toolkit
