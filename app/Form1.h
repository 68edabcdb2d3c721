#pragma once

#include <memory>

#include "toolkit/Form.h"

namespace toolkit {
class CheckBox;
class CommandButton;
class Image;
class Label;
class PictureBox;
class ProgressBar;
class TabControl;
class TextBox;
class Timer;
}  // namespace toolkit

namespace adapters {
class Form2;
}

namespace probes {
class TransferService;
}

namespace app {

struct Platform;

// The controls of the main window while it is loaded, null while it is
// not; those of the Legend and About tabs exist once their tab has first
// been opened. Held as one value, so that an unload resets every one of
// them and a control added here cannot be left dangling.
struct Form1Controls {
    toolkit::TabControl* SSTTab0 = nullptr;
    toolkit::TextBox* txtStatus2 = nullptr;
    // Tab "WAN LAN"
    toolkit::TextBox* WAN = nullptr;
    toolkit::TextBox* LAN = nullptr;
    toolkit::TextBox* txtStatus = nullptr;
    toolkit::PictureBox* Picture1 = nullptr;
    toolkit::Label* lblWorking = nullptr;
    toolkit::Label* WAN2 = nullptr;
    toolkit::Label* LAN2 = nullptr;
    toolkit::TextBox* txtLocal = nullptr;
    toolkit::Label* lblLocal = nullptr;
    toolkit::CheckBox* chkstatus = nullptr;
    toolkit::CheckBox* chkgreen = nullptr;
    toolkit::CheckBox* chkyellow = nullptr;
    toolkit::CheckBox* chkred = nullptr;
    toolkit::CheckBox* chkAdp = nullptr;
    toolkit::CheckBox* chkReload = nullptr;
    toolkit::ProgressBar* ProgressBar1 = nullptr;
    toolkit::Timer* Timer1 = nullptr;
    // Tab "Legend"
    toolkit::Label* lblYourOnline[2] = {nullptr, nullptr};
    toolkit::Label* lblYourOffline[2] = {nullptr, nullptr};
    toolkit::Image* Image1 = nullptr;
    // Tab "About / Help"
    toolkit::CommandButton* Qor = nullptr;
    toolkit::PictureBox* Picture4 = nullptr;
    toolkit::TextBox* txtText1 = nullptr;
};

// The main window: start-up, the status refresh cycle and the commands.
// Everything it shows lives in its controls; the window keeps no results
// of its own, so a reload starts from the layout again.
class Form1 : public toolkit::Form, public Form1Controls {
public:
    Form1(toolkit::Application& app, Platform& platform);
    ~Form1() override;

    // The Adapter Info window, made on first use by Adapter Info and kept
    // for the application's life; loaded and unloaded as it opens and closes.
    std::unique_ptr<adapters::Form2> Form2;

protected:
    toolkit::FormStyle style() const override;
    void createControls(QWidget& window) override;
    void releaseControls() override;

    void Form_Load() override;
    void Timer1_Timer();
    void chkAdp_Click();
    void chkReload_Click();
    void WAN2_Click();
    void Qor_Click();

private:
    void createLegendTab(QWidget& page);
    void createAboutTab(QWidget& page);

    Platform& platform_;
    // The Internet transfer control; an empty one fails its step with
    // "Object required", as every other missing service does.
    const std::unique_ptr<probes::TransferService>& Inet1;
};

}  // namespace app
