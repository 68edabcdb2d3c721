#include "toolkit/SystemColors.h"

namespace toolkit {

QColor systemColor(SystemColor color) {
    switch (color) {
    case SystemColor::WindowText:
    case SystemColor::MenuText:
    case SystemColor::ButtonText:
        return {0, 0, 0};
    case SystemColor::ButtonFace:
        return {240, 240, 240};
    case SystemColor::WindowBackground:
        return {255, 255, 255};
    }
    return {0, 0, 0};
}

}  // namespace toolkit
