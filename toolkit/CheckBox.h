#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <QWidget>

#include "toolkit/Control.h"

namespace toolkit {

// A check box in graphical style: a push button filled with its face colour
// that is drawn pressed while checked. Changing Value raises Click at once,
// as a click by the user does; setting the value it has raises nothing.
// A disabled one keeps its face and caption colours (a disabled lamp still
// reads as a lamp) and ignores the mouse and the keyboard. What assistive
// technology sees depends on what it stands for (setCheckBoxRole).
class CheckBox : public Control<QWidget> {
    Q_OBJECT
public:
    explicit CheckBox(QWidget* parent);

    int Value() const { return value_; }
    void setValue(int value);
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    QColor BackColor() const { return face_; }
    void setBackColor(const QColor& face);
    QColor ForeColor() const { return fore_; }
    void setForeColor(const QColor& fore);

    QSize sizeHint() const override;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class CheckBoxAccessible;
    void toggleByUser();
    int value_ = 0;
    QString caption_;
    QColor face_;
    QColor fore_;
    bool mouseDown_ = false;
    bool mouseInside_ = false;
};

}  // namespace toolkit
