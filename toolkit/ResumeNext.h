#pragma once

#include <exception>
#include <utility>

namespace toolkit {

// Resume-next error mode for the rest of a handler: each step runs in turn,
// and a step that throws is abandoned at the point of failure while the next
// one still runs. Nothing is shown or logged.
//
//     ResumeNext next;
//     next([&] { reply = Inet1.OpenURL(url); });
//     next([&] { WAN->setText(lastToken); });
//
// Only ordinary errors are absorbed; the runtime's end-of-application signal
// (not a std::exception) passes through so that an ended application stops.
class ResumeNext {
public:
    template <class Step>
    ResumeNext& operator()(Step&& step) noexcept(false) {
        try {
            std::forward<Step>(step)();
        } catch (const std::exception&) {
            ++skipped_;
        }
        return *this;
    }

    int skipped() const noexcept { return skipped_; }

private:
    int skipped_ = 0;
};

}  // namespace toolkit
