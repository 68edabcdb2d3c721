#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include "toolkit/Messages.h"
#include "toolkit/Twips.h"

class QLineEdit;
class QPlainTextEdit;

namespace toolkit {

inline constexpr const char* kTabIndexProperty = "TabIndex";

// Geometry in twips and the Visible flag, on top of any Qt widget. Visible
// is the control's own flag: a control on a hidden tab is still Visible.
template <class Base>
class Control : public Base {
public:
    using Base::Base;

    bool Visible() const { return !this->isHidden(); }
    float Left() const { return toTwips(this->x()); }
    float Top() const { return toTwips(this->y()); }
    float Width() const { return toTwips(this->width()); }
    float Height() const { return toTwips(this->height()); }
    void setLeft(float twips) { this->move(toPixels(twips), this->y()); }
    void setTop(float twips) { this->move(this->x(), toPixels(twips)); }
    void Move(float left, float top, float width, float height) {
        this->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
    }
    // The place of the control in its window's focus order (see
    // orderFocusByTabIndex); -1 while it has none.
    int TabIndex() const {
        const QVariant index = this->property(kTabIndexProperty);
        return index.isValid() ? index.toInt() : -1;
    }
    void setTabIndex(int index) { this->setProperty(kTabIndexProperty, index); }
};

// Chains the focus order of every control under the window by ascending
// TabIndex, whatever their containers. Controls that take no focus keep
// their place in the numbering but are skipped by the keyboard.
void orderFocusByTabIndex(QWidget& window);

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

// A text box. Its text is held exactly as written (line breaks as CR LF,
// stray characters kept) while the editor shows a CR LF as a line break.
class TextBox : public Control<QFrame> {
    Q_OBJECT
public:
    enum class ScrollBars { None, Horizontal, Vertical, Both };
    TextBox(QWidget* parent, bool multiLine = false, ScrollBars scrollBars = ScrollBars::None);
    ~TextBox() override;

    QString Text() const;
    void setText(const QString& text);
    // Inserts text at the caret in place of the selection and leaves the
    // caret after the inserted text.
    void setSelText(const QString& text);
    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    void setSelStart(int position);

    bool MultiLine() const { return multiLine_; }
    void setColors(const QColor& text, const QColor& background);
    void setLocked(bool locked);
    void setAlignment(Qt::Alignment alignment);
    QWidget* editor() const;
    // The name assistive technology reads for the box and its editor,
    // usually the caption of the label beside it.
    void setAccessibleLabel(const QString& name);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTabStops();
    void scheduleSync();
    void syncEditor();
    void takeEditorText();
    QString shownText() const;

    bool multiLine_;
    QString text_;
    int selStart_ = 0;
    int selLength_ = 0;
    bool syncScheduled_ = false;
    bool syncing_ = false;
    QLineEdit* line_ = nullptr;
    QPlainTextEdit* plain_ = nullptr;
};

// A check box in graphical style: a push button filled with its face colour
// that is drawn pressed while checked. Changing Value raises Click at once,
// as a click by the user does; setting the value it has raises nothing.
// A disabled one keeps its face and caption colours (a disabled lamp still
// reads as a lamp) and ignores the mouse and the keyboard. Assistive
// technology sees a check box with its checked state; when its accessible
// name differs from its caption (a lamp), the caption is its description.
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

// A progress bar with a single-precision range and value. Its colours are
// set through window messages sent to its handle, as callers expect.
class ProgressBar : public Control<QWidget>, public MessageTarget {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent);

    float Value() const { return value_; }
    void setValue(float value);
    float Min() const { return min_; }
    void setMin(float min);
    float Max() const { return max_; }
    void setMax(float max);
    Hwnd hWnd() { return Hwnd{this}; }

    QColor backgroundColor() const { return background_; }
    QColor barColor() const { return bar_; }

    std::intptr_t handleMessage(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float value_ = 0.0f;
    float min_ = 0.0f;
    float max_ = 100.0f;
    QColor background_;
    QColor bar_;
};

// A picture read from a file when it is first needed, so that the pictures
// of tabs nobody has opened yet cost nothing at start-up.
class LazyPicture {
public:
    void set(const QPixmap& picture);
    void set(const QString& path);
    const QPixmap& get() const;

private:
    mutable QPixmap picture_;
    mutable QString pendingPath_;
};

// A picture box: draws its picture unscaled from the top-left corner, cuts
// off what exceeds it, and may contain other controls.
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

// A tabbed dialog: one row of captioned tabs along the top edge. Each tab
// owns a page that covers the whole control, so the positions of its
// controls are relative to the tab control itself; only the selected tab's
// page is shown.
class TabControl : public Control<QWidget> {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent);

    QWidget* addTab(const QString& caption);
    int Tabs() const { return static_cast<int>(pages_.size()); }
    int Tab() const { return current_; }
    void setTab(int index);
    QWidget* page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    QString TabCaption(int index) const { return captions_.at(static_cast<std::size_t>(index)); }
    void setTabHeight(float twips);
    int tabHeightPixels() const { return tabHeight_; }
    void setTabFont(const QFont& font);
    QFont tabFont() const { return tabFont_; }
    // The face of the tabs and body, and the colour of the captions.
    void setTabColors(const QColor& face, const QColor& caption);
    QColor tabFaceColor() const { return face_; }
    QColor tabCaptionColor() const { return captionColor_; }
    QRect tabRect(int index) const;

signals:
    void Click(int previousTab);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void describeSelection();
    std::vector<QWidget*> pages_;
    std::vector<QString> captions_;
    int current_ = -1;
    int tabHeight_ = 20;
    QFont tabFont_;
    QColor face_;
    QColor captionColor_;
};

// A timer. With Interval 0 it never ticks, whatever Enabled says; it ticks
// while it is enabled and has an interval.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent);

    int Interval() const { return interval_; }
    void setInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isTicking() const { return timer_.isActive(); }

signals:
    void Tick();

private:
    void apply();
    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = true;
};

}  // namespace toolkit
