#include "adapters/Form2.h"

#include <QFont>
#include <utility>

#include "toolkit/Accessibility.h"
#include "toolkit/TextBox.h"

namespace adapters {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kTab = QStringLiteral("\t");
}  // namespace

Form2::Form2(toolkit::Application& app, const toolkit::Form& mainWindow, AdapterInfoApi& adapterInfo, QIcon icon)
    : toolkit::Form(app), Form1(mainWindow), adapterInfo_(adapterInfo), icon_(std::move(icon)) {}

toolkit::FormStyle Form2::style() const {
    return {QStringLiteral("Adapter Info"), QSize(5340, 2790), icon_, toolkit::StartUpPosition::Manual};
}

void Form2::createControls(QWidget& window) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    window.setFont(font);

    txtOut = new toolkit::TextBox(&window, true, toolkit::TextBox::ScrollBars::Both);
    txtOut->Move(0, 0, 5295, 2775);
    txtOut->setColors(QColor(0, 255, 0), QColor(0, 0, 0));
    txtOut->setLocked(false);
    txtOut->setAccessibleLabel(QStringLiteral("Adapter report"));
    announcer_ = new toolkit::Announcer(&window);
    // First (and only) stop in the tab order.
    txtOut->setFocus();
}

void Form2::releaseControls() {
    txtOut = nullptr;
    announcer_ = nullptr;
}

void Form2::Form_Load() {
    AdapterCount = GetAdaptsInfo::ListAdapters(adapterInfo_, Adapters);
    PrintReport();
    // Read out as the window opens: the report is all the window has to say.
    announcer_->announce(txtOut->Text());
    setLeft(Form1.ScaleWidth() / 60.0f + Form1.Left());
    setTop(Form1.ScaleHeight() / 7.0f + Form1.Top());
}

void Form2::Form_Resize() {
    if (WindowState() == 1) return;
    txtOut->Move(0, 0, ScaleWidth(), ScaleHeight());
}

void Form2::PrintReport() {
    txtOut->setSelText(QString::number(AdapterCount));
    txtOut->setSelText(QStringLiteral(" adapter(s) found."));
    txtOut->setSelText(kCrLf);
    txtOut->setSelText(kCrLf);
    const std::int32_t last = AdapterCount - 1;
    for (std::int32_t i = 0; i <= last; ++i) {
        const AdapterRecord& r = Adapters.at(static_cast<std::size_t>(i));
        txtOut->setSelText(QStringLiteral("Adapter "));
        txtOut->setSelText(QString::number(i));
        txtOut->setSelText(kCrLf);
        // One line per field, in report order: a tab, "Field = ", the value.
        const std::pair<QString, QString> fields[] = {
            {QStringLiteral("Description = "), r.Description},
            {QStringLiteral("AdapterIndex = "), QString::number(r.Index)},
            {QStringLiteral("Name = "), r.Name},
            {QStringLiteral("IP = "), r.IP},
            {QStringLiteral("GatewayIP = "), r.GatewayIP},
        };
        for (const auto& [label, value] : fields) {
            txtOut->setSelText(kTab);
            txtOut->setSelText(label);
            txtOut->setSelText(value);
            txtOut->setSelText(kCrLf);
        }
        txtOut->setSelText(kCrLf);
    }
}

}  // namespace adapters
