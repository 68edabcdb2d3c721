// Controls: text held exactly, caret insertion, progress-bar messages.
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSet>
#include <gtest/gtest.h>

#include "tests/support/Fakes.h"
#include "toolkit/Accessibility.h"
#include "toolkit/Controls.h"

using namespace toolkit;

TEST(TextBox, SelTextInsertsAtTheCaretAndKeepsCrLf) {
    QWidget parent;
    TextBox box(&parent, true, TextBox::ScrollBars::Both);
    box.setSelText(QStringLiteral("1 adapter(s) found.\r\n\r\n"));
    box.setSelText(QStringLiteral("Adapter 0\r\n"));
    EXPECT_EQ(box.Text(), QStringLiteral("1 adapter(s) found.\r\n\r\nAdapter 0\r\n"));
    EXPECT_EQ(box.SelStart(), box.Text().size());

    // The editor shows one line per line once the loop has run.
    QCoreApplication::processEvents();
    auto* editor = qobject_cast<QPlainTextEdit*>(box.editor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("1 adapter(s) found.\n\nAdapter 0\n"));
    EXPECT_EQ(editor->lineWrapMode(), QPlainTextEdit::NoWrap);

    // Inserting in the middle replaces the selection at the caret.
    box.setSelStart(2);
    box.setSelText(QStringLiteral("X"));
    EXPECT_TRUE(box.Text().startsWith(QStringLiteral("1 Xadapter")));
    EXPECT_EQ(box.SelStart(), 3);
}

TEST(TextBox, SingleLineKeepsATrailingLineBreak) {
    QWidget parent;
    TextBox box(&parent);
    box.setText(QStringLiteral("203.0.113.7\n"));
    QCoreApplication::processEvents();
    EXPECT_EQ(box.Text(), QStringLiteral("203.0.113.7\n"));
}

// A reply "1.2.3.4", NUL, "<b>evil</b>": the text ends at the NUL, and the
// screen and a screen reader both have what the box holds.
TEST(TextBox, TextEndsAtANulOnScreenAndForAScreenReader) {
    QWidget parent;
    TextBox box(&parent);
    box.setText(QStringLiteral("1.2.3.4") + QChar(u'\0') + QStringLiteral("<b>evil</b>"));
    QCoreApplication::processEvents();
    EXPECT_EQ(box.Text(), QStringLiteral("1.2.3.4"));
    auto* editor = qobject_cast<QLineEdit*>(box.editor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("1.2.3.4"));
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(editor);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->text(QAccessible::Value), QStringLiteral("1.2.3.4"));

    TextBox report(&parent, true);
    report.setSelText(QStringLiteral("eth0") + QChar(u'\0') + QStringLiteral("tail"));
    report.setSelText(QStringLiteral("\r\n"));
    EXPECT_EQ(report.Text(), QStringLiteral("eth0\r\n"));
    EXPECT_EQ(report.SelStart(), 6);
}

// U+202E before "4.3.2.1" must not show as "1.2.3.4", and U+2029 in an
// adapter name must not start a line of its own: both show as U+FFFD in
// their place, while the box keeps what it was given.
TEST(TextBox, BidiControlsAndSeparatorsShowVisiblyInPlace) {
    QWidget parent;
    TextBox box(&parent);
    const QString reply = QChar(0x202E) + QStringLiteral("4.3.2.1");
    box.setText(reply);
    QCoreApplication::processEvents();
    EXPECT_EQ(box.Text(), reply);
    auto* editor = qobject_cast<QLineEdit*>(box.editor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QChar(QChar::ReplacementCharacter) + QStringLiteral("4.3.2.1"));
    EXPECT_EQ(editor->displayText(), editor->text());

    TextBox report(&parent, true);
    const QString name = QStringLiteral("Name: eth") + QChar(0x2029) + QStringLiteral("Index: 9") + QChar(0x2028) +
                         QChar(0x2066) + QChar(0x200F) + QStringLiteral("x\r\n");
    report.setSelText(name);
    QCoreApplication::processEvents();
    EXPECT_EQ(report.Text(), name);
    auto* plain = qobject_cast<QPlainTextEdit*>(report.editor());
    ASSERT_NE(plain, nullptr);
    const QString fffd(QChar::ReplacementCharacter);
    EXPECT_EQ(plain->toPlainText(), "Name: eth" + fffd + "Index: 9" + fffd + fffd + fffd + "x\n");
    EXPECT_EQ(plain->document()->blockCount(), 2) << "one line and the empty one after its break";
}

TEST(ProgressBar, ColourMessagesReachTheBarThroughItsHandle) {
    QWidget parent;
    ProgressBar bar(&parent);
    Hwnd handle = bar.hWnd();
    SendMessage(handle, messages::PBM_SETBKCOLOR, 0, 0x000000);
    SendMessage(handle, messages::PBM_SETBARCOLOR, 0, 0x00FF00);
    EXPECT_EQ(bar.backgroundColor(), QColor(0, 0, 0));
    EXPECT_EQ(bar.barColor(), QColor(0, 255, 0));
    // 0x00BBGGRR: blue is the high byte.
    SendMessage(handle, messages::PBM_SETBARCOLOR, 0, 0x00FF0000);
    EXPECT_EQ(bar.barColor(), QColor(0, 0, 255));
}

TEST(ProgressBar, MessageToADestroyedBarGoesNowhere) {
    Hwnd handle;
    {
        QWidget parent;
        auto* bar = new ProgressBar(&parent);
        handle = bar->hWnd();
        EXPECT_TRUE(handle);
    }
    EXPECT_FALSE(handle);
    EXPECT_EQ(SendMessage(handle, messages::PBM_SETBKCOLOR, 0, 0), 0);
}

TEST(Label, AutoSizeFollowsTheCaption) {
    QWidget parent;
    Label label(&parent);
    label.setAutoSize(true);
    label.setCaption(QStringLiteral("Hi"));
    const int narrow = label.width();
    label.setCaption(QStringLiteral("Gathering Information..."));
    EXPECT_GT(label.width(), narrow);
}

TEST(TabControl, OnlyTheSelectedPageShowsAndControlsKeepTheirOwnVisible) {
    QWidget window;
    TabControl tabs(&window);
    tabs.Move(0, 0, 5535, 3015);
    QWidget* first = tabs.addTab(QStringLiteral("A"));
    QWidget* second = tabs.addTab(QStringLiteral("B"));
    auto* box = new TextBox(second);
    window.show();
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_TRUE(box->Visible()) << "a control on a hidden tab keeps its own flag";
    tabs.setTab(1);
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(second->geometry(), tabs.rect()) << "positions are relative to the tab control";
}

TEST(TabControl, APageIsFilledOnceWhenFirstSelectedAndItsControlsShowWithIt) {
    QWidget window;
    TabControl tabs(&window);
    int fills = 0;
    QWidget* made = nullptr;
    tabs.addTab(QStringLiteral("A"), [&](QWidget& page) { made = new Label(&page); });
    ASSERT_NE(made, nullptr) << "the tab shown at creation is filled at once";
    tabs.addTab(QStringLiteral("B"), [&](QWidget& page) {
        made = new Label(&page);
        ++fills;
    });
    window.show();
    for (int tab : {1, 0, 1}) tabs.setTab(tab);
    EXPECT_EQ(fills, 1);
    EXPECT_TRUE(made->isVisible()) << "made on a page already shown, it would stay hidden";
}

TEST(TabControl, AClickOnTheHeaderReachesItThroughThePageAndArrowsSwitchTabs) {
    QWidget window;
    TabControl tabs(&window);
    tabs.Move(0, 0, 5535, 3015);
    tabs.setTabHeight(295);
    QWidget* first = tabs.addTab(QStringLiteral("A"));
    tabs.addTab(QStringLiteral("B"));
    tabs.addTab(QStringLiteral("C"));
    int clicks = 0;
    QObject::connect(&tabs, &TabControl::Click, [&](int) { ++clicks; });
    window.show();
    // The page covers the header; the press falls through it to the tabs.
    const QPointF onThird = tabs.tabRect(2).center();
    QMouseEvent press(QEvent::MouseButtonPress, onThird, first->mapToGlobal(onThird), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(first, &press);
    EXPECT_EQ(tabs.Tab(), 2);
    EXPECT_EQ(clicks, 1);
    // Below the header nothing changes.
    const QPointF body(20, 100);
    QMouseEvent pressBody(QEvent::MouseButtonPress, body, tabs.mapToGlobal(body), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(&tabs, &pressBody);
    EXPECT_EQ(tabs.Tab(), 2);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(&tabs, &right);
    EXPECT_EQ(tabs.Tab(), 0) << "wraps round";
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(&tabs, &left);
    EXPECT_EQ(tabs.Tab(), 2);
    EXPECT_EQ(clicks, 3);
}

TEST(PictureBox, PlacesItsControlsInsideItsBorder) {
    QWidget window;
    auto* panel = new PictureBox(&window);
    auto* early = new CheckBox(panel);
    early->Move(150, 300, 600, 300);  // before the border is set
    panel->setBorder(true);
    auto* late = new CheckBox(panel);
    late->Move(0, 0, 600, 300);
    EXPECT_EQ(early->pos(), QPoint(11, 21));
    EXPECT_EQ(late->pos(), QPoint(1, 1));
    EXPECT_EQ(late->Top(), 0.0f);
    panel->setBorder(false);
    EXPECT_EQ(early->pos(), QPoint(10, 20));
    EXPECT_EQ(early->Left(), 150.0f);
}

TEST(FocusOrder, FollowsTabIndexAcrossContainersAndThroughEditors) {
    QWidget window;
    auto* panel = new PictureBox(&window);
    // Made in the opposite order to their tab indexes, in two containers.
    auto* late = new CheckBox(&window);
    late->setTabIndex(3);
    auto* label = new Label(panel);
    label->setTabIndex(1);  // takes no focus: keeps its number, skipped
    auto* box = new TextBox(panel);
    box->setTabIndex(2);
    auto* early = new CheckBox(panel);
    early->setTabIndex(0);
    orderFocusByTabIndex(window);
    // The text box moves with its editor, so no stray copy of it is left
    // behind to take the Tab key elsewhere.
    EXPECT_EQ(early->nextInFocusChain(), box);
    EXPECT_EQ(box->nextInFocusChain(), box->editor());
    QWidget* afterBox = box->editor()->nextInFocusChain();
    while (afterBox && afterBox->focusPolicy() == Qt::NoFocus) afterBox = afterBox->nextInFocusChain();
    EXPECT_EQ(afterBox, late);
    EXPECT_EQ(label->TabIndex(), 1);
    EXPECT_EQ(panel->TabIndex(), -1);
}

// The next control after `from` that the Tab key can reach.
QWidget* nextTabStop(QWidget* from) {
    QWidget* next = from->nextInFocusChain();
    while (next != from && next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
    return next;
}

// A multi-line box on a page not shown yet has no editor; shown, the editor
// carries what the box was given and takes its place in the focus order.
TEST(FocusOrder, AMultiLineEditorMadeWhenFirstShownTakesItsBoxsPlace) {
    QWidget window;
    auto* first = new CheckBox(&window);
    first->setTabIndex(0);
    auto* page = new QWidget(&window);
    page->hide();
    auto* box = new TextBox(page, true, TextBox::ScrollBars::Vertical);
    box->resize(200, 100);
    box->setTabIndex(1);
    box->setColors(QColor(0, 255, 0), QColor(0, 0, 0));
    box->setText(QStringLiteral("About\r\nHelp"));
    box->setLocked(true);
    box->setAccessibleLabel(QStringLiteral("About"));
    auto* last = new CheckBox(&window);
    last->setTabIndex(2);
    orderFocusByTabIndex(window);
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(box->findChild<QPlainTextEdit*>(), nullptr) << "made while its page was hidden";

    page->show();
    auto* editor = box->findChild<QPlainTextEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->size(), box->size());
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("About\nHelp"));
    EXPECT_EQ(editor->palette().color(QPalette::Text), QColor(0, 255, 0));
    EXPECT_TRUE(editor->isReadOnly());
    EXPECT_EQ(editor->accessibleName(), QStringLiteral("About"));
    EXPECT_EQ(nextTabStop(first), box);
    EXPECT_EQ(box->nextInFocusChain(), editor);
    EXPECT_EQ(nextTabStop(editor), last);
}

TEST(CheckBox, TellsAssistiveTechnologyItsCaptionStateAndAction) {
    QWidget parent;
    CheckBox box(&parent);
    parent.show();
    box.setCaption(QStringLiteral("Reload"));
    int clicks = 0;
    QObject::connect(&box, &CheckBox::Click, [&] { ++clicks; });
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&box);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::CheckBox);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Reload")) << "unnamed: the caption";
    EXPECT_TRUE(iface->text(QAccessible::Description).isEmpty());
    ASSERT_NE(iface->actionInterface(), nullptr);
    iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(box.Value(), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(iface->state().checked);
    box.setEnabled(false);
    iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(box.Value(), 1) << "a disabled check box ignores it";
    EXPECT_EQ(clicks, 1);
    // Hidden, it ignores a press as it would a click.
    box.setEnabled(true);
    box.hide();
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);
}

TEST(CheckBox, DisabledKeepsItsFaceAndCaptionColoursAndCheckedDrawsPressed) {
    QWidget parent;
    CheckBox box(&parent);
    box.Move(0, 0, 1500, 340);
    box.setBackColor(QColor(255, 255, 0));
    box.setForeColor(QColor(0, 0, 255));
    box.setCaption(QStringLiteral("WWWWWWWW"));
    const auto colours = [&] {
        const QImage image = box.grab().toImage();
        QSet<QRgb> seen;
        for (int y = 4; y < image.height() - 4; ++y)
            for (int x = 4; x < image.width() - 4; ++x) seen.insert(image.pixel(x, y) & 0xFFFFFF);
        return seen;
    };
    const QSet<QRgb> enabled = colours();
    box.setEnabled(false);
    const QSet<QRgb> disabled = colours();
    EXPECT_TRUE(disabled.contains(0xFFFF00)) << "the face";
    EXPECT_TRUE(disabled.contains(0x0000FF)) << "the caption, not greyed";
    EXPECT_EQ(enabled, disabled);

    const auto topEdge = [&] { return box.grab().toImage().pixelColor(box.width() / 2, 0); };
    const QColor raised = topEdge();
    box.setValue(1);
    const QColor pressed = topEdge();
    EXPECT_GT(raised.lightness(), pressed.lightness());
}

// What a screen reader reads of a single-line box is its whole text, at
// any offset (the caret at the end included), and an edit made through it
// is the box's own text.
TEST(TextBox, AScreenReaderReadsTheWholeAddressAndEditsTheBoxText) {
    QWidget parent;
    TextBox box(&parent);
    box.setAccessibleLabel(QStringLiteral("Your Wan Ip Is:"));
    box.setText(QStringLiteral("203.0.113.45"));
    QCoreApplication::processEvents();
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(box.editor());
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->role(), QAccessible::EditableText);
    EXPECT_EQ(reader->text(QAccessible::Name), QStringLiteral("Your Wan Ip Is:"));
    QAccessibleTextInterface* text = reader->textInterface();
    ASSERT_NE(text, nullptr);
    for (int offset : {0, 10, 11, 12}) {
        int start = -1, end = -1;
        EXPECT_EQ(text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end), QStringLiteral("203.0.113.45"))
            << "at " << offset;
        EXPECT_EQ(start, 0);
        EXPECT_EQ(end, 12);
    }
    int start = 0, end = 0;
    text->setSelection(0, 0, 12);
    text->selection(0, &start, &end);
    EXPECT_EQ(end - start, 12) << "the selection spoken is the whole address";

    int changes = 0;
    QObject::connect(&box, &TextBox::Change, [&] { ++changes; });
    reader->editableTextInterface()->replaceText(0, 3, QStringLiteral("198"));
    EXPECT_EQ(box.Text(), QStringLiteral("198.0.113.45"));
    EXPECT_EQ(changes, 1);
    box.setLocked(true);
    reader->editableTextInterface()->insertText(0, QStringLiteral("x"));
    EXPECT_EQ(box.Text(), QStringLiteral("198.0.113.45")) << "a locked box takes no edit";
}

// An announcement is made once, of the last text set before control
// returns to the loop; an empty text says nothing.
TEST(Announcer, SpeaksTheLastTextOnceAndNothingWhenEmpty) {
    QWidget window;
    auto* announcer = new Announcer(&window);
    QStringList said;
    QObject::connect(announcer, &Announcer::announced, [&](const QString& text) { said << text; });
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(announcer);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Notification);
    EXPECT_EQ(iface->parent(), QAccessible::queryAccessibleInterface(&window));

    announcer->announce(QStringLiteral("Gathering"));
    announcer->announce(QStringLiteral("LAN And WAN - Online"));
    EXPECT_TRUE(said.isEmpty()) << "not inside the event that set it";
    EXPECT_TRUE(testing_support::waitUntil([&] { return !said.isEmpty(); }, 3000));
    QCoreApplication::processEvents();
    EXPECT_EQ(said, QStringList{QStringLiteral("LAN And WAN - Online")});
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("LAN And WAN - Online"));

    announcer->announce(QString());
    QCoreApplication::processEvents();
    testing_support::waitUntil([] { return false; }, 300);
    EXPECT_EQ(said.size(), 1);
}
