#pragma once

#include <QIcon>
#include <cstdint>
#include <vector>

#include "adapters/AdapterInfoApi.h"
#include "adapters/GetAdaptsInfo.h"
#include "toolkit/Form.h"

namespace toolkit {
class Announcer;
class TextBox;
}  // namespace toolkit

namespace adapters {

// The Adapter Info window: at each load it lists the machine's adapters as
// a plain-text report and opens just below and right of the main window's
// top-left corner. Nothing refreshes the report while it stays open.
class Form2 : public toolkit::Form {
public:
    // `mainWindow` is where the window opens from; `icon` is the main
    // window's icon, which this window shares.
    Form2(toolkit::Application& app, const toolkit::Form& mainWindow, AdapterInfoApi& adapterInfo, QIcon icon = {});

    // The one control of a loaded window (null while it is not loaded).
    toolkit::TextBox* txtOut = nullptr;

    // The records of the last enumeration and how many of them count.
    std::vector<AdapterRecord> Adapters;
    std::int32_t AdapterCount = 0;

protected:
    toolkit::FormStyle style() const override;
    void createControls(QWidget& window) override;
    void releaseControls() override;

    void Form_Load() override;
    void Form_Resize() override;

private:
    void PrintReport();

    const toolkit::Form& Form1;
    AdapterInfoApi& adapterInfo_;
    QIcon icon_;
    // Reads the report out as the window opens (null while not loaded).
    toolkit::Announcer* announcer_ = nullptr;
};

}  // namespace adapters
