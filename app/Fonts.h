#pragma once

#include <QFont>

#include <thread>

namespace app {

// The fonts the layout names. Neither comes with Linux: the digital font is
// replaced by our own segment font, compiled in and registered from memory,
// and Tahoma by the system's sans serif, through Qt's font substitution, so
// the layout keeps its names. A machine that has either font uses it.
inline constexpr const char* kDigitalFamily = "Let's go Digital";
inline constexpr const char* kDigitalSubstitute = "Lumenfold Segments";
inline constexpr const char* kTahomaFamily = "Tahoma";

// Loads the system's font configuration, the largest single cost before
// the first window can be drawn: on a thread of its own, so that it runs on
// a second core while Qt connects to the display, or in the constructor
// when no thread can be started. wait() returns once it is
// loaded; the destructor waits as well.
class FontConfigurationLoad {
public:
    FontConfigurationLoad();
    ~FontConfigurationLoad();
    FontConfigurationLoad(const FontConfigurationLoad&) = delete;
    FontConfigurationLoad& operator=(const FontConfigurationLoad&) = delete;

    void wait();
    // Whether the configuration is being loaded on a thread of its own.
    bool threaded() const noexcept { return thread_.joinable(); }

private:
    std::thread thread_;
};

// Installs the substitutions for fonts that are not installed. Called once
// at start-up, before any window is made; calling it again changes nothing.
void installFontSubstitutes();

// The digital read-out font: bold italic at the given size.
QFont digitalFont(qreal points);
// Tahoma at the given size, normal or bold.
QFont tahomaFont(qreal points, bool bold);

}  // namespace app
