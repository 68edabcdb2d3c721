#include "toolkit/Label.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPalette>
#include <algorithm>

namespace toolkit {

Label::Label(QWidget* parent) : Control<QLabel>(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
}

void Label::setCaption(const QString& caption) {
    setText(caption);
    fitToCaption();
}

void Label::setAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    fitToCaption();
}

void Label::setForeColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void Label::fitToCaption() {
    if (!autoSize_) return;
    const QFontMetrics metrics(font());
    QSize size = metrics.size(Qt::TextSingleLine, text());
    // An italic caption leans past its advance; keep its last stroke.
    size.setWidth(std::max(size.width(), metrics.boundingRect(text()).right() + 1));
    // Keep the centre where it was when the caption is centred.
    if (alignment() & Qt::AlignHCenter) {
        const int centre = x() + width() / 2;
        setGeometry(centre - size.width() / 2, y(), size.width(), size.height());
    } else {
        resize(size);
    }
}

void Label::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) fitToCaption();
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Click();
}

}  // namespace toolkit
