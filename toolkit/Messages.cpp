#include "toolkit/Messages.h"

namespace toolkit {

std::intptr_t SendMessage(const Hwnd& hwnd, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!hwnd) return 0;
    auto* target = dynamic_cast<MessageTarget*>(hwnd.widget.data());
    return target ? target->handleMessage(message, wParam, lParam) : 0;
}

}  // namespace toolkit
