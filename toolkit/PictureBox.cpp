#include "toolkit/PictureBox.h"

#include <QPainter>
#include <QPalette>

namespace toolkit {

PictureBox::PictureBox(QWidget* parent) : Control<QFrame>(parent) { setAutoFillBackground(true); }

void PictureBox::setPicture(const QPixmap& picture) {
    picture_.set(picture);
    update();
}

void PictureBox::setPicture(const QString& path) {
    picture_.set(path);
    update();
}

void PictureBox::setBackColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

void PictureBox::setBorder(bool singleLine) {
    const QPoint before = contentsRect().topLeft();
    setFrameStyle(singleLine ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
    // The controls inside keep their places in the client area.
    const QPoint shift = contentsRect().topLeft() - before;
    if (shift.isNull()) return;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->move(child->pos() + shift);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (Picture().isNull()) return;
    QPainter p(this);
    p.setClipRect(contentsRect());
    p.drawPixmap(contentsRect().topLeft(), Picture());
}

}  // namespace toolkit
