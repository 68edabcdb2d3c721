#include "toolkit/Image.h"

#include <QPainter>

namespace toolkit {

Image::Image(QWidget* parent) : Control<QWidget>(parent) {}

void Image::setPicture(const QPixmap& picture) {
    picture_.set(picture);
    update();
}

void Image::setPicture(const QString& path) {
    picture_.set(path);
    update();
}

void Image::paintEvent(QPaintEvent*) {
    if (Picture().isNull()) return;
    QPainter p(this);
    p.drawPixmap(0, 0, Picture());
}

}  // namespace toolkit
