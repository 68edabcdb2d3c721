#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "toolkit/Control.h"

namespace toolkit {

// A tabbed dialog: one row of captioned tabs along the top edge. Each tab
// owns a page that covers the whole control, so the positions of its
// controls are relative to the tab control itself; only the selected tab's
// page is shown. Ctrl+Tab and Ctrl+PageDown select the next tab,
// Ctrl+Shift+Tab and Ctrl+PageUp the previous one, from anywhere inside.
// A tab may make its controls only when it is first selected: most tabs
// of a dialog are never opened, and one nobody opens then costs nothing.
class TabControl : public Control<QWidget> {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent);

    // A tab with `fill` gets its controls from it the first time the tab
    // is selected, or at once when it is the tab shown at creation; those
    // made later join the window's focus order by their TabIndex.
    QWidget* addTab(const QString& caption, std::function<void(QWidget& page)> fill = {});
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
    void stepTabFromKeyboard(int step);
    // Runs the page's fill if it has one left; says whether it did.
    bool fillPage(int index);
    std::vector<QWidget*> pages_;
    // What is still to be made on each page; empty once it is made.
    std::vector<std::function<void(QWidget&)>> fills_;
    std::vector<QString> captions_;
    int current_ = -1;
    int tabHeight_ = 20;
    QFont tabFont_;
    QColor face_;
    QColor captionColor_;
};

}  // namespace toolkit
