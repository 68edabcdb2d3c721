#include "toolkit/Controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

namespace toolkit {

namespace {
QString toShown(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// A caret position in the shown text (one character a line break) mapped to
// the held text (CR LF a line break), and back.
int heldPosition(const QString& held, int shownPosition) {
    int shown = 0;
    int i = 0;
    while (i < held.size() && shown < shownPosition) {
        if (held[i] == u'\r' && i + 1 < held.size() && held[i + 1] == u'\n') ++i;
        ++i;
        ++shown;
    }
    return i;
}
int shownPosition(const QString& held, int heldPos) {
    int shown = 0;
    for (int i = 0; i < heldPos && i < held.size(); ++i) {
        if (held[i] == u'\r' && i + 1 < held.size() && held[i + 1] == u'\n') ++i;
        ++shown;
    }
    return shown;
}
}  // namespace

void orderFocusByTabIndex(QWidget& window) {
    std::vector<std::pair<int, QWidget*>> indexed;
    for (QWidget* child : window.findChildren<QWidget*>()) {
        const QVariant index = child->property(kTabIndexProperty);
        if (index.isValid()) indexed.emplace_back(index.toInt(), child);
    }
    std::stable_sort(indexed.begin(), indexed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QWidget* previous = nullptr;
    for (const auto& [index, control] : indexed) {
        // A composite control (a text box) takes focus in its editor.
        QWidget* target = control;
        while (target->focusProxy()) target = target->focusProxy();
        if (target->focusPolicy() == Qt::NoFocus) continue;
        if (previous) QWidget::setTabOrder(previous, target);
        previous = target;
    }
}

// ---------------------------------------------------------------- Label

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
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

// ---------------------------------------------------------------- TextBox

TextBox::TextBox(QWidget* parent, bool multiLine, ScrollBars scrollBars)
    : Control<QFrame>(parent), multiLine_(multiLine) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (multiLine_) {
        plain_ = new QPlainTextEdit(this);
        const bool horizontal = scrollBars == ScrollBars::Horizontal || scrollBars == ScrollBars::Both;
        const bool vertical = scrollBars == ScrollBars::Vertical || scrollBars == ScrollBars::Both;
        plain_->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        plain_->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        // A horizontal scroll bar means long lines scroll instead of wrapping.
        plain_->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        layout->addWidget(plain_);
        setFocusProxy(plain_);
        applyTabStops();
        connect(plain_, &QPlainTextEdit::textChanged, this, [this] {
            if (!syncing_) takeEditorText();
        });
        connect(plain_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
            if (syncing_) return;
            const QTextCursor c = plain_->textCursor();
            selStart_ = heldPosition(text_, c.selectionStart());
            selLength_ = heldPosition(text_, c.selectionEnd()) - selStart_;
        });
    } else {
        line_ = new QLineEdit(this);
        line_->setFrame(true);
        layout->addWidget(line_);
        setFocusProxy(line_);
        connect(line_, &QLineEdit::textEdited, this, [this] { takeEditorText(); });
        connect(line_, &QLineEdit::cursorPositionChanged, this, [this] {
            if (syncing_) return;
            selStart_ = line_->hasSelectedText() ? line_->selectionStart() : line_->cursorPosition();
            selLength_ = static_cast<int>(line_->selectedText().size());
        });
    }
}

TextBox::~TextBox() = default;

QWidget* TextBox::editor() const { return multiLine_ ? static_cast<QWidget*>(plain_) : line_; }

QString TextBox::Text() const { return text_; }

void TextBox::setText(const QString& text) {
    text_ = text;
    selStart_ = 0;
    selLength_ = 0;
    scheduleSync();
}

void TextBox::setSelText(const QString& text) {
    const int start = std::clamp(selStart_, 0, static_cast<int>(text_.size()));
    const int length = std::clamp(selLength_, 0, static_cast<int>(text_.size()) - start);
    text_.replace(start, length, text);
    selStart_ = start + static_cast<int>(text.size());
    selLength_ = 0;
    scheduleSync();
}

void TextBox::setSelStart(int position) {
    selStart_ = std::clamp(position, 0, static_cast<int>(text_.size()));
    selLength_ = 0;
    scheduleSync();
}

void TextBox::setColors(const QColor& text, const QColor& background) {
    QPalette p = editor()->palette();
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Window, background);
    editor()->setPalette(p);
    editor()->setAutoFillBackground(true);
}

void TextBox::setAccessibleLabel(const QString& name) {
    setAccessibleName(name);
    editor()->setAccessibleName(name);
}

void TextBox::setLocked(bool locked) {
    if (plain_) plain_->setReadOnly(locked);
    if (line_) line_->setReadOnly(locked);
}

void TextBox::setAlignment(Qt::Alignment alignment) {
    if (line_) line_->setAlignment(alignment);
}

void TextBox::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        editor()->setFont(font());
        applyTabStops();
    }
}

// A tab stop every eight average characters, as the platform's edit control
// has them, rather than Qt's fixed 80 pixels.
void TextBox::applyTabStops() {
    if (plain_) plain_->setTabStopDistance(8 * QFontMetricsF(font()).averageCharWidth());
}

// Many small insertions (a report printed piece by piece) are applied to the
// editor once, when control returns to the event loop, or when it is shown.
void TextBox::scheduleSync() {
    if (syncScheduled_) return;
    syncScheduled_ = true;
    QMetaObject::invokeMethod(this, [this] { syncEditor(); }, Qt::QueuedConnection);
}

QString TextBox::shownText() const { return multiLine_ ? toShown(text_) : text_; }

void TextBox::syncEditor() {
    syncScheduled_ = false;
    syncing_ = true;
    if (plain_) {
        plain_->setPlainText(shownText());
        QTextCursor c = plain_->textCursor();
        c.setPosition(shownPosition(text_, selStart_));
        c.setPosition(shownPosition(text_, selStart_ + selLength_), QTextCursor::KeepAnchor);
        plain_->setTextCursor(c);
    } else {
        line_->setText(text_);
        line_->setCursorPosition(selStart_);
    }
    syncing_ = false;
}

void TextBox::takeEditorText() {
    if (plain_) {
        text_ = plain_->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
        const QTextCursor c = plain_->textCursor();
        selStart_ = heldPosition(text_, c.selectionStart());
        selLength_ = heldPosition(text_, c.selectionEnd()) - selStart_;
    } else {
        text_ = line_->text();
        selStart_ = line_->cursorPosition();
        selLength_ = 0;
    }
}

// ---------------------------------------------------------------- CheckBox

// What assistive technology learns of a check box: its role, its checked
// state, its name and, for a lamp named by its colour, its caption.
class CheckBoxAccessible : public QAccessibleWidget {
public:
    explicit CheckBoxAccessible(CheckBox* box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = box()->Value() == 1;
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        const QString name = box()->accessibleName();
        const QString caption = box()->Caption();
        if (kind == QAccessible::Name) return name.isEmpty() ? caption : name;
        if (kind == QAccessible::Description && !name.isEmpty() && name != caption && !caption.isEmpty())
            return caption;
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (box()->isEnabled()) names.prepend(toggleAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action == toggleAction() || action == pressAction()) {
            if (box()->isEnabled()) box()->toggleByUser();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    CheckBox* box() const { return static_cast<CheckBox*>(widget()); }
};

namespace {
QAccessibleInterface* checkBoxAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(CheckBox::staticMetaObject.className()) && object && object->isWidgetType())
        return new CheckBoxAccessible(static_cast<CheckBox*>(object));
    return nullptr;
}
}  // namespace

CheckBox::CheckBox(QWidget* parent)
    : Control<QWidget>(parent), face_(palette().color(QPalette::Button)),
      fore_(palette().color(QPalette::ButtonText)) {
    static const bool factoryInstalled = (QAccessible::installFactory(checkBoxAccessibleFactory), true);
    (void)factoryInstalled;
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CheckBox::setValue(int value) {
    if (value == value_) return;
    value_ = value;
    update();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    emit Click();
}

void CheckBox::setCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    update();
    QAccessibleEvent event(this, accessibleName().isEmpty() ? QAccessible::NameChanged : QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void CheckBox::setBackColor(const QColor& face) {
    face_ = face;
    update();
}

void CheckBox::setForeColor(const QColor& fore) {
    fore_ = fore;
    update();
}

QSize CheckBox::sizeHint() const {
    return fontMetrics().size(Qt::TextSingleLine, caption_) + QSize(12, 8);
}

void CheckBox::toggleByUser() { setValue(value_ == 1 ? 0 : 1); }

void CheckBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    mouseDown_ = true;
    mouseInside_ = true;
    update();
}

void CheckBox::mouseMoveEvent(QMouseEvent* event) {
    if (!mouseDown_) return QWidget::mouseMoveEvent(event);
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != mouseInside_) {
        mouseInside_ = inside;
        update();
    }
}

void CheckBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !mouseDown_) return QWidget::mouseReleaseEvent(event);
    mouseDown_ = false;
    mouseInside_ = false;
    update();
    if (rect().contains(event->position().toPoint())) toggleByUser();
}

void CheckBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        toggleByUser();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CheckBox::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) update();
}

// A push button: a face with a two-line bevel, light above and left, dark
// below and right; pressed, the bevel turns inward and the caption moves
// down and right by one pixel. Being disabled changes nothing of the look.
void CheckBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool sunken = value_ == 1 || (mouseDown_ && mouseInside_);
    const QRect r = rect();
    p.fillRect(r, face_);

    const QPalette& pal = palette();
    const QColor highlight = pal.color(QPalette::Light);
    const QColor midlight = pal.color(QPalette::Midlight);
    const QColor shadow = pal.color(QPalette::Dark);
    const QColor darkShadow = QColor(0, 0, 0);
    const auto bevel = [&](const QRect& box, const QColor& topLeft, const QColor& bottomRight) {
        p.setPen(topLeft);
        p.drawLine(box.bottomLeft(), box.topLeft());
        p.drawLine(box.topLeft(), box.topRight());
        p.setPen(bottomRight);
        p.drawLine(box.topRight(), box.bottomRight());
        p.drawLine(box.bottomRight(), box.bottomLeft());
    };
    if (sunken) {
        bevel(r, darkShadow, highlight);
        bevel(r.adjusted(1, 1, -1, -1), shadow, midlight);
    } else {
        bevel(r, highlight, darkShadow);
        bevel(r.adjusted(1, 1, -1, -1), midlight, shadow);
    }

    p.setPen(fore_);
    p.setFont(font());
    const QRect textRect = r.adjusted(2, 2, -2, -2).translated(sunken ? 1 : 0, sunken ? 1 : 0);
    p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption_);
    if (hasFocus() && !caption_.isEmpty()) {
        p.setPen(QPen(fore_, 1, Qt::DotLine));
        p.drawRect(r.adjusted(3, 3, -4, -4).translated(sunken ? 1 : 0, sunken ? 1 : 0));
    }
}

// ---------------------------------------------------------------- CommandButton

CommandButton::CommandButton(QWidget* parent) : Control<QPushButton>(parent) {
    connect(this, &QPushButton::clicked, this, [this] { emit Click(); });
}

// ---------------------------------------------------------------- ProgressBar

ProgressBar::ProgressBar(QWidget* parent)
    : Control<QWidget>(parent), background_(palette().color(QPalette::Base)),
      bar_(palette().color(QPalette::Highlight)) {}

void ProgressBar::setValue(float value) {
    value_ = value;
    update();
}
void ProgressBar::setMin(float min) {
    min_ = min;
    update();
}
void ProgressBar::setMax(float max) {
    max_ = max;
    update();
}

std::intptr_t ProgressBar::handleMessage(std::uint32_t message, std::uintptr_t, std::intptr_t lParam) {
    // Both messages answer the colour they replace.
    const auto toRef = [](const QColor& c) {
        return static_cast<std::intptr_t>(static_cast<std::uint32_t>(c.red()) |
                                          (static_cast<std::uint32_t>(c.green()) << 8) |
                                          (static_cast<std::uint32_t>(c.blue()) << 16));
    };
    std::intptr_t previous = 0;
    if (message == messages::PBM_SETBKCOLOR) {
        previous = toRef(background_);
        background_ = colorFromRef(static_cast<std::uint32_t>(lParam));
    } else if (message == messages::PBM_SETBARCOLOR) {
        previous = toRef(bar_);
        bar_ = colorFromRef(static_cast<std::uint32_t>(lParam));
    } else {
        return 0;
    }
    update();
    return previous;
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    const float span = max_ - min_;
    const float fraction = span > 0 ? std::clamp((value_ - min_) / span, 0.0f, 1.0f) : 0.0f;
    const int filled = static_cast<int>(static_cast<float>(width()) * fraction);
    if (filled > 0) p.fillRect(QRect(0, 0, filled, height()), bar_);
}

// ---------------------------------------------------------------- PictureBox, Image

void LazyPicture::set(const QPixmap& picture) {
    picture_ = picture;
    pendingPath_.clear();
}

void LazyPicture::set(const QString& path) {
    picture_ = QPixmap();
    pendingPath_ = path;
}

const QPixmap& LazyPicture::get() const {
    if (!pendingPath_.isEmpty()) {
        picture_.load(pendingPath_);
        pendingPath_.clear();
    }
    return picture_;
}

PictureBox::PictureBox(QWidget* parent) : Control<QFrame>(parent) {
    setAutoFillBackground(true);
}

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
    setFrameStyle(singleLine ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (Picture().isNull()) return;
    QPainter p(this);
    p.setClipRect(contentsRect());
    p.drawPixmap(contentsRect().topLeft(), Picture());
}

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

// ---------------------------------------------------------------- TabControl

TabControl::TabControl(QWidget* parent)
    : Control<QWidget>(parent), tabFont_(font()), face_(palette().color(QPalette::Button)),
      captionColor_(palette().color(QPalette::ButtonText)) {
    setFocusPolicy(Qt::TabFocus);
}

QWidget* TabControl::addTab(const QString& caption) {
    auto* page = new QWidget(this);
    page->setGeometry(rect());
    page->setVisible(pages_.empty());
    page->setAccessibleName(caption);
    pages_.push_back(page);
    captions_.push_back(caption);
    if (current_ < 0) current_ = 0;
    describeSelection();
    update();
    return page;
}

void TabControl::setTab(int index) {
    if (index < 0 || index >= Tabs() || index == current_) return;
    const int previous = current_;
    // Show the new page before hiding the old one, so focus never falls
    // out of the window in between.
    pages_[static_cast<std::size_t>(index)]->setVisible(true);
    pages_[static_cast<std::size_t>(previous)]->setVisible(false);
    current_ = index;
    describeSelection();
    update();
    emit Click(previous);
}

// Assistive technology reads the selected tab as the control's value.
void TabControl::describeSelection() {
    if (current_ < 0) return;
    setAccessibleDescription(captions_[static_cast<std::size_t>(current_)]);
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void TabControl::setTabHeight(float twips) {
    tabHeight_ = toPixels(twips);
    update();
}

void TabControl::setTabFont(const QFont& font) {
    tabFont_ = font;
    update();
}

void TabControl::setTabColors(const QColor& face, const QColor& caption) {
    face_ = face;
    captionColor_ = caption;
    update();
}

QRect TabControl::tabRect(int index) const {
    if (Tabs() == 0) return {};
    // One row, the tabs sharing the control's width equally.
    const int w = width() / Tabs();
    return QRect(index * w, 0, index == Tabs() - 1 ? width() - index * w : w, tabHeight_);
}

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QWidget* page : pages_) page->setGeometry(rect());
}

void TabControl::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < Tabs(); ++i) {
        if (tabRect(i).contains(event->position().toPoint())) {
            setTab(i);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void TabControl::keyPressEvent(QKeyEvent* event) {
    if (Tabs() > 0 && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        const int step = event->key() == Qt::Key_Left ? -1 : 1;
        setTab((current_ + step + Tabs()) % Tabs());
        return;
    }
    QWidget::keyPressEvent(event);
}

void TabControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TabControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

// Raised tabs over a raised body. The selected tab, in the face colour,
// stands two pixels higher than the others and opens into the body; the
// others, a shade darker, sit behind it.
void TabControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor highlight(255, 255, 255);
    const QColor outline = face_.lightness() > 60 ? face_.darker(175) : QColor(128, 128, 128);
    const QColor behind = face_.darker(110);
    p.fillRect(rect(), face_);

    // The body's edge below the tab row.
    p.setPen(outline);
    p.drawLine(0, tabHeight_, width() - 1, tabHeight_);
    p.setPen(highlight);
    p.drawLine(0, tabHeight_ + 1, width() - 1, tabHeight_ + 1);

    p.setFont(tabFont_);
    const auto drawTab = [&](int i) {
        const bool selected = i == current_;
        QRect r = tabRect(i);
        if (selected)
            r.adjust(0, 0, 0, 1);  // reaches over the body's edge below it
        else
            r.adjust(1, 2, -1, -1);
        // Face with the top corners cut by one pixel.
        p.fillRect(r.adjusted(1, 1, -1, 0), selected ? face_ : behind);
        p.fillRect(QRect(r.left() + 2, r.top(), r.width() - 4, 1), selected ? face_ : behind);
        p.setPen(outline);
        p.drawLine(r.left(), r.bottom(), r.left(), r.top() + 2);
        p.drawPoint(r.left() + 1, r.top() + 1);
        p.drawLine(r.left() + 2, r.top(), r.right() - 2, r.top());
        p.drawPoint(r.right() - 1, r.top() + 1);
        p.drawLine(r.right(), r.top() + 2, r.right(), r.bottom());
        p.setPen(highlight);
        p.drawLine(r.left() + 1, r.bottom(), r.left() + 1, r.top() + 2);
        p.drawLine(r.left() + 2, r.top() + 1, r.right() - 2, r.top() + 1);

        p.setPen(captionColor_);
        const QRect textRect = r.adjusted(3, selected ? 1 : 0, -3, 0);
        const QString& caption = captions_[static_cast<std::size_t>(i)];
        p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
        if (selected && hasFocus()) {
            QRect focus = p.fontMetrics().boundingRect(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
            focus = focus.adjusted(-2, 0, 2, 0).intersected(r.adjusted(3, 2, -3, -2));
            p.setPen(QPen(captionColor_, 1, Qt::DotLine));
            p.drawRect(focus.adjusted(0, 0, -1, -1));
        }
    };
    for (int i = 0; i < Tabs(); ++i)
        if (i != current_) drawTab(i);
    if (current_ >= 0) drawTab(current_);
}

// ---------------------------------------------------------------- Timer

Timer::Timer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { emit Tick(); });
}

void Timer::setInterval(int milliseconds) {
    interval_ = std::max(0, milliseconds);
    apply();
}

void Timer::setEnabled(bool enabled) {
    enabled_ = enabled;
    apply();
}

// A QTimer with interval 0 fires at every pass of the event loop; an
// interval of 0 here means no ticks at all.
void Timer::apply() {
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

}  // namespace toolkit
