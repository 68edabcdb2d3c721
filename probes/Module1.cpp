#include "probes/Module1.h"

#include "toolkit/Messages.h"
#include "toolkit/ProgressBar.h"

namespace probes::Module1 {

void SetProgressColors(toolkit::ProgressBar& ProgressBar, const std::uint32_t& backColor,
                       const std::uint32_t& barColor) {
    const toolkit::Hwnd hWnd = ProgressBar.hWnd();
    toolkit::SendMessage(hWnd, toolkit::messages::PBM_SETBKCOLOR, 0, static_cast<std::intptr_t>(backColor));
    toolkit::SendMessage(hWnd, toolkit::messages::PBM_SETBARCOLOR, 0, static_cast<std::intptr_t>(barColor));
}

}  // namespace probes::Module1
