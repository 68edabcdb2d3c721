#include "toolkit/Accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <chrono>

#include "toolkit/CheckBox.h"
#include "toolkit/Form.h"
#include "toolkit/Image.h"
#include "toolkit/PictureBox.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/TabControl.h"
#include "toolkit/TextBox.h"

namespace toolkit {

namespace {
constexpr const char* kCheckBoxRoleProperty = "lumenfoldCheckBoxRole";
constexpr std::chrono::milliseconds kActivationWait{1500};
}  // namespace

void setCheckBoxRole(CheckBox& box, CheckBoxRole role) {
    box.setProperty(kCheckBoxRoleProperty, static_cast<int>(role));
    // Role and name change together: a screen reader reads both again.
    QAccessibleEvent event(&box, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

CheckBoxRole checkBoxRole(const CheckBox& box) {
    const QVariant role = box.property(kCheckBoxRoleProperty);
    return role.isValid() ? static_cast<CheckBoxRole>(role.toInt()) : CheckBoxRole::CheckBox;
}

QString lampReading(const QString& colour, const QString& caption) {
    if (caption.isEmpty()) return colour + QStringLiteral(": off");
    return colour + QStringLiteral(": ") + caption + QStringLiteral(", lit");
}

// A top-level window is a frame, named by its caption.
class FormWindowAccessible : public QAccessibleWidget {
public:
    explicit FormWindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return widget()->windowTitle();
        return QAccessibleWidget::text(kind);
    }
};

// A text box is its editor: the frame around it is an unnamed panel that a
// screen reader passes over, so the editor, named by the label beside it,
// is what it reads.
class TextBoxAccessible : public QAccessibleWidget {
public:
    explicit TextBoxAccessible(QWidget* box) : QAccessibleWidget(box, QAccessible::Pane) {}
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name || kind == QAccessible::Description) return {};
        return QAccessibleWidget::text(kind);
    }
};

// The editor of a single-line text box. Qt's own reading of a line edit
// takes "line" for a line-break opportunity, so that a screen reader heard
// "203.0.113.4" for 203.0.113.45 and "Nul" for Null; a single-line box has
// one line, its whole text.
class LineEditorAccessible : public QAccessibleWidget,
                             public QAccessibleTextInterface,
                             public QAccessibleEditableTextInterface {
public:
    explicit LineEditorAccessible(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return edit()->text();
        return QAccessibleWidget::text(kind);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = !edit()->isReadOnly();
        state.readOnly = edit()->isReadOnly();
        state.selectableText = true;
        return state;
    }

    // Text
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0 || !edit()->hasSelectedText()) return;
        *start = edit()->selectionStart();
        *end = *start + static_cast<int>(edit()->selectedText().size());
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0) edit()->deselect();
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0) edit()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int start, int end) const override { return edit()->text().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    QRect characterRect(int offset) const override {
        // Measured from where the caret stands, which the editor knows.
        const QString text = edit()->text();
        const QFontMetrics metrics(edit()->font());
        const QRect caret = edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int caretX = caret.center().x();
        const int x = caretX + metrics.horizontalAdvance(text.left(offset)) -
                      metrics.horizontalAdvance(text.left(edit()->cursorPosition()));
        const int width = offset < text.size() ? metrics.horizontalAdvance(text.at(offset)) : 1;
        const QRect local(x, caret.top(), width, caret.height());
        return QRect(edit()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int, int end) override { edit()->setCursorPosition(end); }
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary ||
            type == QAccessible::NoBoundary) {
            *start = 0;
            *end = characterCount();
            return edit()->text();
        }
        return QAccessibleTextInterface::textAtOffset(offset, type, start, end);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary ||
            type == QAccessible::NoBoundary) {
            *start = *end = -1;
            return {};
        }
        return QAccessibleTextInterface::textBeforeOffset(offset, type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary ||
            type == QAccessible::NoBoundary) {
            *start = *end = -1;
            return {};
        }
        return QAccessibleTextInterface::textAfterOffset(offset, type, start, end);
    }

    // Editable text: as typing would, so the text box hears of it.
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        if (edit()->isReadOnly()) return;
        edit()->setSelection(start, end - start);
        edit()->insert(text);
    }

private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
};

// A picture box that holds controls is a panel; one that only shows a
// picture is a graphic.
class PictureBoxAccessible : public QAccessibleWidget {
public:
    explicit PictureBoxAccessible(QWidget* box) : QAccessibleWidget(box, QAccessible::Pane) {}
    QAccessible::Role role() const override {
        return widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty() ? QAccessible::Graphic
                                                                                      : QAccessible::Pane;
    }
};

class ProgressBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressBarAccessible(ProgressBar* bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return bar()->Value(); }
    void setCurrentValue(const QVariant&) override {}  // shows progress only
    QVariant maximumValue() const override { return bar()->Max(); }
    QVariant minimumValue() const override { return bar()->Min(); }
    QVariant minimumStepSize() const override { return 0; }

private:
    ProgressBar* bar() const { return static_cast<ProgressBar*>(widget()); }
};

// What a push-button check box tells: see CheckBoxRole.
class CheckBoxAccessible : public QAccessibleWidget {
public:
    explicit CheckBoxAccessible(CheckBox* box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

    QAccessible::Role role() const override {
        switch (checkBoxRole(*box())) {
        case CheckBoxRole::Command:
            return QAccessible::Button;
        case CheckBoxRole::Caption:
        case CheckBoxRole::Lamp:
            return QAccessible::StaticText;
        case CheckBoxRole::CheckBox:
            break;
        }
        return QAccessible::CheckBox;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        switch (checkBoxRole(*box())) {
        case CheckBoxRole::CheckBox:
            state.checkable = true;
            state.checked = box()->Value() == 1;
            break;
        case CheckBoxRole::Command:
            state.pressed = box()->Value() == 1;
            break;
        case CheckBoxRole::Caption:
        case CheckBoxRole::Lamp:
            // Read-outs, not controls: their being disabled is no news.
            state.disabled = false;
            break;
        }
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        QString name = box()->accessibleName();
        QString caption = box()->Caption();
        const CheckBoxRole role = checkBoxRole(*box());
        if (kind == QAccessible::Name) {
            if (role == CheckBoxRole::Lamp) return lampReading(name, caption);
            return name.isEmpty() ? caption : name;
        }
        if (kind == QAccessible::Description && role == CheckBoxRole::CheckBox && !name.isEmpty() && name != caption &&
            !caption.isEmpty())
            return caption;
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        const CheckBoxRole role = checkBoxRole(*box());
        if (!canBeClicked(*box()) || role == CheckBoxRole::Caption || role == CheckBoxRole::Lamp) return names;
        names.prepend(role == CheckBoxRole::Command ? pressAction() : toggleAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action == toggleAction() || action == pressAction()) {
            if (actionNames().contains(action)) box()->toggleByUser();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    CheckBox* box() const { return static_cast<CheckBox*>(widget()); }
};

QAccessibleInterface* pageInterface(TabControl* tabs, int index);

// One tab of a tab control: named by its caption, selected while it is
// the current one, holding its page; pressing it selects it.
class PageTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PageTabAccessible(TabControl* tabs, int index) : tabs_(tabs), index_(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return list() ? list()->window() : nullptr; }
    bool isValid() const override { return tabs_ && index_ < tabs_->Tabs(); }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name && isValid() ? tabs_->TabCaption(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = tabs_->focusPolicy() != Qt::NoFocus;
        state.selected = tabs_->Tab() == index_;
        state.focused = state.selected && tabs_->hasFocus();
        state.invisible = !tabs_->isVisible();
        state.disabled = !tabs_->isEnabled();
        return state;
    }
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect r = tabs_->tabRect(index_);
        return QRect(tabs_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessibleInterface* parent() const override { return list(); }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && isValid() ? pageInterface(tabs_, index_) : nullptr;
    }
    int childCount() const override { return isValid() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child == this->child(0) ? 0 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* page = child(0);
        return page && page->rect().contains(x, y) ? page : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && isValid() && canBeClicked(*tabs_)) tabs_->setTab(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAccessibleInterface* list() const { return tabs_ ? QAccessible::queryAccessibleInterface(tabs_.data()) : nullptr; }
    QPointer<TabControl> tabs_;
    int index_;
};

// A tab control is a page tab list of its tabs; each tab holds its page,
// as a screen reader expects of a notebook.
class TabControlAccessible : public QAccessibleWidget {
public:
    explicit TabControlAccessible(TabControl* tabs) : QAccessibleWidget(tabs, QAccessible::PageTabList) {}
    ~TabControlAccessible() override {
        for (QAccessible::Id id : std::as_const(tabIds_)) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return tabs()->Tabs(); }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < tabs()->Tabs() ? tab(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto it = tabIds_.cbegin(); it != tabIds_.cend(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child) return it.key();
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = tabs()->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < tabs()->Tabs(); ++i)
            if (tabs()->tabRect(i).contains(local)) return tab(i);
        return tabs()->Tab() >= 0 ? tab(tabs()->Tab()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        if (tabs()->hasFocus() && tabs()->Tab() >= 0) return tab(tabs()->Tab());
        QWidget* focus = QApplication::focusWidget();
        return focus && tabs()->isAncestorOf(focus) ? QAccessible::queryAccessibleInterface(focus) : nullptr;
    }

private:
    TabControl* tabs() const { return static_cast<TabControl*>(widget()); }
    QAccessibleInterface* tab(int index) const {
        auto it = tabIds_.constFind(index);
        if (it != tabIds_.cend()) return QAccessible::accessibleInterface(it.value());
        auto* iface = new PageTabAccessible(tabs(), index);  // owned by the registry until deleted above
        tabIds_.insert(index, QAccessible::registerAccessibleInterface(iface));
        return iface;
    }
    mutable QHash<int, QAccessible::Id> tabIds_;
};

// A page of a tab control: an unnamed panel inside its tab, which names it.
class TabPageAccessible : public QAccessibleWidget {
public:
    TabPageAccessible(QWidget* page, TabControl* tabs, int index)
        : QAccessibleWidget(page, QAccessible::Pane), tabs_(tabs), index_(index) {}
    QAccessibleInterface* parent() const override {
        QAccessibleInterface* list = tabs_ ? QAccessible::queryAccessibleInterface(tabs_.data()) : nullptr;
        return list ? list->child(index_) : nullptr;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name || kind == QAccessible::Description) return {};
        return QAccessibleWidget::text(kind);
    }

private:
    QPointer<TabControl> tabs_;
    int index_;
};

QAccessibleInterface* pageInterface(TabControl* tabs, int index) {
    return QAccessible::queryAccessibleInterface(tabs->page(index));
}

int pageIndex(const TabControl& tabs, const QObject* page) {
    for (int i = 0; i < tabs.Tabs(); ++i)
        if (tabs.page(i) == page) return i;
    return -1;
}

// An announcement: a notification, named by its text, that a screen
// reader speaks as it is shown.
class AnnouncerAccessible : public QAccessibleObject {
public:
    explicit AnnouncerAccessible(Announcer* announcer) : QAccessibleObject(announcer) {}
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? static_cast<Announcer*>(object())->text() : QString();
    }
    QAccessible::State state() const override { return {}; }
    QAccessibleInterface* parent() const override {
        QObject* window = object()->parent();
        return window ? QAccessible::queryAccessibleInterface(window) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

namespace {
template <class T>
bool is(const QString& className) {
    return className == QLatin1String(T::staticMetaObject.className());
}

QAccessibleInterface* toolkitFactory(const QString& className, QObject* object) {
    if (!object) return nullptr;
    if (is<Announcer>(className)) return new AnnouncerAccessible(static_cast<Announcer*>(object));
    if (!object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (is<FormWindow>(className)) return new FormWindowAccessible(widget);
    if (is<TextBox>(className)) return new TextBoxAccessible(widget);
    if (className == QLatin1String("QLineEdit") && qobject_cast<TextBox*>(widget->parent()))
        return new LineEditorAccessible(static_cast<QLineEdit*>(widget));
    if (is<PictureBox>(className)) return new PictureBoxAccessible(widget);
    if (is<Image>(className)) return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (is<ProgressBar>(className)) return new ProgressBarAccessible(static_cast<ProgressBar*>(widget));
    if (is<CheckBox>(className)) return new CheckBoxAccessible(static_cast<CheckBox*>(widget));
    if (is<TabControl>(className)) return new TabControlAccessible(static_cast<TabControl*>(widget));
    if (auto* tabs = qobject_cast<TabControl*>(widget->parent()); tabs && className == QLatin1String("QWidget")) {
        if (const int index = pageIndex(*tabs, widget); index >= 0) return new TabPageAccessible(widget, tabs, index);
    }
    return nullptr;
}
}  // namespace

void installAccessibility() {
    static const bool installed = (QAccessible::installFactory(toolkitFactory), true);
    (void)installed;
}

Announcer::Announcer(QObject* window) : QObject(window) { installAccessibility(); }

void Announcer::announce(const QString& text) {
    pending_ = text;
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] { flushOnceActive(); });
}

// A window that is still opening is first announced by the screen reader
// itself (its title, its focus); the update comes after that, or after a
// while if the window is never made active.
void Announcer::flushOnceActive() {
    auto* window = qobject_cast<QWidget*>(parent());
    if (!window || window->isActiveWindow() || waitedForActivation_) {
        flush();
        return;
    }
    waitedForActivation_ = true;
    window->installEventFilter(this);
    QTimer::singleShot(kActivationWait, this, [this] {
        if (scheduled_) flush();
    });
}

bool Announcer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::WindowActivate && scheduled_)
        QTimer::singleShot(0, this, [this] {
            if (scheduled_) flush();
        });
    return QObject::eventFilter(watched, event);
}

void Announcer::flush() {
    scheduled_ = false;
    if (parent()) parent()->removeEventFilter(this);
    if (pending_.isEmpty()) return;
    text_ = pending_;
    // A notification that appears is what a screen reader speaks unasked.
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
    emit announced(text_);
}

}  // namespace toolkit
