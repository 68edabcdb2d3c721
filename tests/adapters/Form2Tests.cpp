// The Adapter Info window over a fake platform: the report exactly as
// printed, the placement beside the main window, resizing and load errors.
#include <QAccessible>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "adapters/Form2.h"
#include "toolkit/Accessibility.h"
#include "tests/support/Fakes.h"
#include "tests/support/StandInMainWindow.h"

using namespace adapters;
using testing_support::FakeAdapter;
using testing_support::FakeAdapterInfo;
using testing_support::flushDeletions;
using testing_support::RecordingPresenter;
using testing_support::StandInMainWindow;
using testing_support::waitUntil;

namespace {

QIcon testIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::green);
    return QIcon(pixmap);
}

struct AdapterInfoWindow : ::testing::Test {
    RecordingPresenter presenter;
    toolkit::Application app{presenter};
    StandInMainWindow main{app};
    FakeAdapterInfo fake;
    QIcon icon = testIcon();
    Form2 form{app, main, fake, icon};

    AdapterInfoWindow() {
        main.Load();
        main.setLeft(3000);
        main.setTop(2000);
    }
    ~AdapterInfoWindow() override {
        form.Unload();
        main.Unload();
        flushDeletions();
    }
};

const QString kAdapter0 = QStringLiteral(
    "Adapter 0\r\n"
    "\tDescription = Ethernet adapter (virtio_net)\r\n"
    "\tAdapterIndex = 2\r\n"
    "\tName = enp1s0\r\n"
    "\tIP = 192.168.0.10\r\n"
    "\tGatewayIP = 192.168.0.1\r\n"
    "\r\n");

TEST_F(AdapterInfoWindow, ReportForNoAdapter) {
    form.Show();
    EXPECT_EQ(form.txtOut->Text(), QStringLiteral("0 adapter(s) found.\r\n\r\n"));
    EXPECT_EQ(form.AdapterCount, 0);
}

TEST_F(AdapterInfoWindow, ReportForOneAdapter) {
    fake.adapters = {{"enp1s0", 2, "Ethernet adapter (virtio_net)", {"192.168.0.10"}, {"192.168.0.1"}}};
    form.Show();
    const QString report = QStringLiteral("1 adapter(s) found.\r\n\r\n") + kAdapter0;
    EXPECT_EQ(form.txtOut->Text(), report);
    // The caret is left at the end of the report.
    EXPECT_EQ(form.txtOut->SelStart(), report.size());
    // The reader sees one line per line.
    auto* editor = qobject_cast<QPlainTextEdit*>(form.txtOut->editor());
    ASSERT_TRUE(editor);
    ASSERT_TRUE(waitUntil([&] { return !editor->toPlainText().isEmpty(); }));
    EXPECT_EQ(editor->toPlainText(), QString(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(editor->blockCount(), 10);
}

// A listener hears the report as the window opens, once, from a box that
// is named; Tab leaves the box instead of typing a tab into the report.
TEST_F(AdapterInfoWindow, TheReportIsReadOutOnOpeningAndTabLeavesIt) {
    fake.adapters = {{"enp1s0", 2, "Ethernet adapter (virtio_net)", {"192.168.0.10"}, {"192.168.0.1"}}};
    QStringList heard;
    form.Load();
    auto* announcer = form.window()->findChild<toolkit::Announcer*>();
    ASSERT_NE(announcer, nullptr);
    QObject::connect(announcer, &toolkit::Announcer::announced, [&](const QString& text) { heard << text; });
    form.Show();
    const QString report = QStringLiteral("1 adapter(s) found.\r\n\r\n") + kAdapter0;
    ASSERT_TRUE(waitUntil([&] { return !heard.isEmpty(); }, 3000));
    EXPECT_EQ(heard, QStringList{report});
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(form.txtOut->editor());
    EXPECT_EQ(box->text(QAccessible::Name), QStringLiteral("Adapter report"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.window())->role(), QAccessible::Window);

    form.Show();  // shown again while open: no second report, nothing more said
    QCoreApplication::processEvents();
    EXPECT_EQ(heard.size(), 1);

    auto* editor = qobject_cast<QPlainTextEdit*>(form.txtOut->editor());
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(editor, &tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.txtOut->Text(), report);
}

TEST_F(AdapterInfoWindow, ReportForThreeAdaptersWithAnEmptyFieldAndANegativeIndex) {
    fake.adapters = {
        {"enp1s0", 2, "Ethernet adapter (virtio_net)", {"192.168.0.10"}, {"192.168.0.1"}},
        {"veth0", 0xFFFFFFF6u, "Virtual Ethernet pair (veth)", {"10.9.0.1", "10.9.0.2"}, {""}},
        {"dummy0", 7, "", {"0.0.0.0"}, {"0.0.0.0"}},
    };
    form.Show();
    EXPECT_EQ(form.txtOut->Text(),
              QStringLiteral("3 adapter(s) found.\r\n\r\n") + kAdapter0 +
                  QStringLiteral("Adapter 1\r\n"
                                 "\tDescription = Virtual Ethernet pair (veth)\r\n"
                                 "\tAdapterIndex = -10\r\n"
                                 "\tName = veth0\r\n"
                                 "\tIP = 10.9.0.1\r\n"
                                 "\tGatewayIP = \r\n"
                                 "\r\n"
                                 "Adapter 2\r\n"
                                 "\tDescription = \r\n"
                                 "\tAdapterIndex = 7\r\n"
                                 "\tName = dummy0\r\n"
                                 "\tIP = 0.0.0.0\r\n"
                                 "\tGatewayIP = 0.0.0.0\r\n"
                                 "\r\n"));
    EXPECT_EQ(form.Adapters.size(), 3u);
}

TEST_F(AdapterInfoWindow, OpensOffsetFromTheMainWindowInSinglePrecision) {
    ASSERT_FLOAT_EQ(main.ScaleWidth(), 5490.0f);
    ASSERT_FLOAT_EQ(main.ScaleHeight(), 2940.0f);
    form.Show();
    EXPECT_FLOAT_EQ(form.Left(), 3091.5f);
    EXPECT_FLOAT_EQ(form.Top(), 2420.0f);
}

TEST_F(AdapterInfoWindow, LooksAsDesigned) {
    form.Show();
    QWidget* window = form.window();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Adapter Info");
    EXPECT_EQ(window->size(), QSize(356, 186));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());  // fixed single border
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->windowIcon().pixmap(16, 16).toImage(), icon.pixmap(16, 16).toImage());
    EXPECT_EQ(window->font().family(), "Tahoma");
    EXPECT_DOUBLE_EQ(window->font().pointSizeF(), 8.25);
    EXPECT_EQ(window->font().weight(), QFont::Normal);

    auto* editor = qobject_cast<QPlainTextEdit*>(form.txtOut->editor());
    ASSERT_TRUE(editor);
    EXPECT_FALSE(editor->isReadOnly());
    EXPECT_EQ(editor->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(editor->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(editor->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(editor->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(editor->palette().color(QPalette::Text), QColor(0, 255, 0));
    EXPECT_EQ(editor->font().family(), "Tahoma");
    // Shown, the box fills the client area.
    EXPECT_EQ(form.txtOut->geometry(), QRect(0, 0, 356, 186));
}

TEST_F(AdapterInfoWindow, DesignedBoxBeforeTheFirstResize) {
    form.Load();
    EXPECT_EQ(form.txtOut->geometry(), QRect(0, 0, 353, 185));  // 5295 x 2775 twips
}

TEST_F(AdapterInfoWindow, ResizeWhileMinimisedLeavesTheBoxAlone) {
    form.Show();
    form.txtOut->Move(150, 150, 1500, 1500);
    form.window()->setWindowState(Qt::WindowMinimized);
    ASSERT_EQ(form.WindowState(), 1);
    EXPECT_EQ(form.txtOut->geometry(), QRect(10, 10, 100, 100));
    form.window()->setWindowState(Qt::WindowNoState);
    ASSERT_EQ(form.WindowState(), 0);
    EXPECT_EQ(form.txtOut->geometry(), QRect(0, 0, 356, 186));
}

TEST_F(AdapterInfoWindow, ShowingAgainWhileOpenNeitherEnumeratesNorMoves) {
    fake.adapters = {{"enp1s0", 2, "Ethernet adapter (virtio_net)", {"192.168.0.10"}, {"192.168.0.1"}}};
    form.Show();
    const QString report = form.txtOut->Text();
    const int calls = fake.calls;
    main.setLeft(6000);
    form.Show();
    EXPECT_EQ(fake.calls, calls);
    EXPECT_EQ(form.txtOut->Text(), report);
    EXPECT_FLOAT_EQ(form.Left(), 3091.5f);
}

TEST_F(AdapterInfoWindow, ReopeningPrintsAFreshReportFromANewEnumeration) {
    fake.adapters = {{"enp1s0", 2, "Ethernet adapter (virtio_net)", {"192.168.0.10"}, {"192.168.0.1"}}};
    form.Show();
    form.Unload();
    fake.adapters.clear();
    main.setLeft(1500);
    form.Show();
    EXPECT_EQ(form.txtOut->Text(), QStringLiteral("0 adapter(s) found.\r\n\r\n"));
    EXPECT_EQ(form.AdapterCount, 0);
    EXPECT_FLOAT_EQ(form.Left(), 1591.5f);
}

TEST_F(AdapterInfoWindow, EnumerationErrorKeepsTheWindowAwayAndEndsTheApplication) {
    fake.script = {FakeAdapterInfo::Answer{ERROR_NOT_SUPPORTED, 50}};
    main.Show();
    app.dispatch([&] { form.Show(); });
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(form.window(), nullptr);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].number(), static_cast<std::int32_t>(0x8004B710u));
    EXPECT_EQ(presenter.shown[0].description(), "GetAdaptersInfo is not supported by this OS");
    EXPECT_TRUE(app.hasEnded());
}

TEST_F(AdapterInfoWindow, EnumerationErrorPassesToTheCaller) {
    fake.script = {std::nullopt, FakeAdapterInfo::Answer{ERROR_NO_DATA, 6}};
    fake.adapters = {{"enp1s0", 2, "x", {"1.2.3.4"}, {"1.2.3.1"}}};
    try {
        form.Show();
        FAIL() << "no error raised";
    } catch (const toolkit::Error& e) {
        EXPECT_EQ(e.number(), adapter_errors::LateSystemError);
        EXPECT_EQ(e.description(), "GetAdaptersInfo Late Failure: system error 6");
    }
    EXPECT_FALSE(form.isLoaded());
}

}  // namespace
