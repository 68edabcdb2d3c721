#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

#include "toolkit/Control.h"

class QLineEdit;
class QPlainTextEdit;

namespace toolkit {

// A text box. Its text is held exactly as written up to its first NUL,
// where the text ends (line breaks as CR LF, stray characters kept), while
// the editor shows a CR LF as a line break and a bidirectional control or
// Unicode line separator as U+FFFD. A multi-line box makes its editor when
// it is first shown or first asked for, as most such boxes wait on a tab
// or in a window not yet open; until then it holds the editor's settings.
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
    // A double click selects the whole text rather than one word: for a box
    // holding one value, an address say, whose dots would split it.
    void setDoubleClickSelectsAll(bool selectsAll);
    // The editor, made now if the box has not been shown yet.
    QWidget* editor();
    // The name assistive technology reads for the box and its editor,
    // usually the caption of the label beside it.
    void setAccessibleLabel(const QString& name);

signals:
    // The text has changed, by the program or by the user.
    void Change();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* multiLineEditor();
    // The editor if it exists yet, or null.
    QWidget* madeEditor() const;
    void applyColors();
    void applyDoubleClickSelectsAll();
    void applyTabStops();
    void scheduleSync();
    void syncEditor();
    void takeEditorText();
    void takeEditorTextAndCaret();
    QString shownText() const;

    bool multiLine_;
    ScrollBars scrollBars_;
    bool locked_ = false;
    bool doubleClickSelectsAll_ = false;
    QColor textColor_;
    QColor backColor_;
    QString accessibleLabel_;
    QString text_;
    int selStart_ = 0;
    int selLength_ = 0;
    bool syncScheduled_ = false;
    bool syncing_ = false;
    QLineEdit* line_ = nullptr;
    QPlainTextEdit* plain_ = nullptr;
    QObject* selectAllOnDoubleClick_ = nullptr;
};

}  // namespace toolkit
