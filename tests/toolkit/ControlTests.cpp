// Controls: text held exactly, caret insertion, progress-bar messages.
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include "tests/support/Fakes.h"
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
