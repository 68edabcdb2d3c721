#include "toolkit/TextBox.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <utility>

#include "toolkit/Accessibility.h"
#include "toolkit/Text.h"

namespace toolkit {

namespace {
// Characters that would reorder or split what the box shows: the
// bidirectional controls and the Unicode line and paragraph separators.
// A read-out shows its characters in the order received, so these are
// shown as U+FFFD, visibly and in their place, never obeyed nor hidden.
bool reordersOrSplits(char16_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
           c == 0x2028 || c == 0x2029;
}

// Turns the editor's double click into selecting its whole text.
class DoubleClickSelectsAll : public QObject {
public:
    DoubleClickSelectsAll(QWidget* editor, std::function<void()> selectAll)
        : QObject(editor), selectAll_(std::move(selectAll)) {
        editor->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            selectAll_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> selectAll_;
};

QString toShown(QString text, bool multiLine) {
    for (QChar& c : text)
        if (reordersOrSplits(c.unicode())) c = QChar::ReplacementCharacter;
    return multiLine ? text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")) : text;
}

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
// A multi-line editor that never types a tab: Tab moves the focus on (Qt
// has tried that before the key arrives here), and where there is nowhere
// else to go, as in a window of one box, the key does nothing.
class MultiLineEditor : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
            event->ignore();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
};

int shownPosition(const QString& held, int heldPos) {
    int shown = 0;
    for (int i = 0; i < heldPos && i < held.size(); ++i) {
        if (held[i] == u'\r' && i + 1 < held.size() && held[i + 1] == u'\n') ++i;
        ++shown;
    }
    return shown;
}
}  // namespace

TextBox::TextBox(QWidget* parent, bool multiLine, ScrollBars scrollBars)
    : Control<QFrame>(parent), multiLine_(multiLine), scrollBars_(scrollBars) {
    installAccessibility();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (multiLine_) {
        // The multi-line editor's own policy, which it brings when made.
        setFocusPolicy(Qt::StrongFocus);
        return;
    }
    line_ = new QLineEdit(this);
    line_->setFrame(true);
    layout->addWidget(line_);
    setFocusProxy(line_);
    setFocusPolicy(line_->focusPolicy());
    connect(line_, &QLineEdit::textEdited, this, [this] { takeEditorText(); });
    connect(line_, &QLineEdit::cursorPositionChanged, this, [this] {
        if (syncing_) return;
        selStart_ = line_->hasSelectedText() ? line_->selectionStart() : line_->cursorPosition();
        selLength_ = static_cast<int>(line_->selectedText().size());
    });
}

QPlainTextEdit* TextBox::multiLineEditor() {
    if (plain_) return plain_;
    plain_ = new MultiLineEditor(this);
    const bool horizontal = scrollBars_ == ScrollBars::Horizontal || scrollBars_ == ScrollBars::Both;
    const bool vertical = scrollBars_ == ScrollBars::Vertical || scrollBars_ == ScrollBars::Both;
    plain_->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    plain_->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // A horizontal scroll bar means long lines scroll instead of wrapping.
    plain_->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    // Tab moves on, as in every dialog; a tab character comes in by paste.
    plain_->setTabChangesFocus(true);
    plain_->setFont(font());
    plain_->setReadOnly(locked_);
    if (!accessibleLabel_.isEmpty()) plain_->setAccessibleName(accessibleLabel_);
    applyColors();
    applyDoubleClickSelectsAll();
    applyTabStops();
    layout()->addWidget(plain_);
    setFocusProxy(plain_);
    setFocusPolicy(plain_->focusPolicy());
    syncEditor();
    connect(plain_, &QPlainTextEdit::textChanged, this, [this] {
        if (!syncing_) takeEditorText();
    });
    connect(plain_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (syncing_) return;
        const QTextCursor c = plain_->textCursor();
        selStart_ = heldPosition(text_, c.selectionStart());
        selLength_ = heldPosition(text_, c.selectionEnd()) - selStart_;
    });
    // A child made later joins the end of the window's focus chain, and
    // the focus proxy moves the box after it: put both back in their place.
    if (TabIndex() >= 0) orderFocusByTabIndex(*window());
    // Shown already, the box draws its editor in place from the first frame,
    // not once its layout has had its turn.
    if (isVisible()) {
        plain_->setGeometry(contentsRect());
        plain_->show();
    }
    return plain_;
}

TextBox::~TextBox() = default;

QWidget* TextBox::editor() { return multiLine_ ? static_cast<QWidget*>(multiLineEditor()) : line_; }

void TextBox::showEvent(QShowEvent* event) {
    if (multiLine_) multiLineEditor();
    QFrame::showEvent(event);
}

QString TextBox::Text() const { return text_; }

void TextBox::setText(const QString& text) {
    const QString before = text_;
    text_ = TrimAtNull(text);
    selStart_ = 0;
    selLength_ = 0;
    scheduleSync();
    if (text_ != before) emit Change();
}

void TextBox::setSelText(const QString& text) {
    const QString inserted = TrimAtNull(text);
    const int start = std::clamp(selStart_, 0, static_cast<int>(text_.size()));
    const int length = std::clamp(selLength_, 0, static_cast<int>(text_.size()) - start);
    text_.replace(start, length, inserted);
    selStart_ = start + static_cast<int>(inserted.size());
    selLength_ = 0;
    scheduleSync();
    if (!inserted.isEmpty() || length > 0) emit Change();
}

void TextBox::setSelStart(int position) {
    selStart_ = std::clamp(position, 0, static_cast<int>(text_.size()));
    selLength_ = 0;
    scheduleSync();
}

void TextBox::setColors(const QColor& text, const QColor& background) {
    textColor_ = text;
    backColor_ = background;
    applyColors();
}

QWidget* TextBox::madeEditor() const { return multiLine_ ? static_cast<QWidget*>(plain_) : line_; }

void TextBox::applyColors() {
    QWidget* shown = madeEditor();
    if (!shown || !textColor_.isValid()) return;
    QPalette p = shown->palette();
    p.setColor(QPalette::Text, textColor_);
    p.setColor(QPalette::Base, backColor_);
    p.setColor(QPalette::Window, backColor_);
    shown->setPalette(p);
    shown->setAutoFillBackground(true);
}

void TextBox::setAccessibleLabel(const QString& name) {
    setAccessibleName(name);
    accessibleLabel_ = name;
    if (QWidget* shown = madeEditor()) shown->setAccessibleName(name);
}

void TextBox::setLocked(bool locked) {
    locked_ = locked;
    if (plain_) plain_->setReadOnly(locked);
    if (line_) line_->setReadOnly(locked);
}

void TextBox::setAlignment(Qt::Alignment alignment) {
    if (line_) line_->setAlignment(alignment);
}

void TextBox::setDoubleClickSelectsAll(bool selectsAll) {
    doubleClickSelectsAll_ = selectsAll;
    applyDoubleClickSelectsAll();
}

void TextBox::applyDoubleClickSelectsAll() {
    delete selectAllOnDoubleClick_;  // a child of the editor, or null
    selectAllOnDoubleClick_ = nullptr;
    QWidget* shown = madeEditor();
    if (!doubleClickSelectsAll_ || !shown) return;
    selectAllOnDoubleClick_ = new DoubleClickSelectsAll(shown, [this] {
        if (line_) line_->selectAll();
        if (plain_) plain_->selectAll();
        selStart_ = 0;
        selLength_ = static_cast<int>(text_.size());
    });
}

void TextBox::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        if (QWidget* shown = madeEditor()) shown->setFont(font());
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
    QMetaObject::invokeMethod(
        this, [this] { syncEditor(); }, Qt::QueuedConnection);
}

QString TextBox::shownText() const { return toShown(text_, multiLine_); }

void TextBox::syncEditor() {
    syncScheduled_ = false;
    syncing_ = true;
    if (plain_) {
        plain_->setPlainText(shownText());
        QTextCursor c = plain_->textCursor();
        c.setPosition(shownPosition(text_, selStart_));
        c.setPosition(shownPosition(text_, selStart_ + selLength_), QTextCursor::KeepAnchor);
        plain_->setTextCursor(c);
    } else if (line_) {
        line_->setText(shownText());
        line_->setCursorPosition(selStart_);
    }
    syncing_ = false;
}

void TextBox::takeEditorText() {
    const QString before = text_;
    takeEditorTextAndCaret();
    if (text_ != before) emit Change();
}

void TextBox::takeEditorTextAndCaret() {
    if (plain_) {
        text_ = plain_->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
        const QTextCursor c = plain_->textCursor();
        selStart_ = heldPosition(text_, c.selectionStart());
        selLength_ = heldPosition(text_, c.selectionEnd()) - selStart_;
    } else if (line_) {
        text_ = line_->text();
        selStart_ = line_->cursorPosition();
        selLength_ = 0;
    }
}

}  // namespace toolkit
