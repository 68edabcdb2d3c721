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
    case SystemColor::ButtonHighlight:
        return {255, 255, 255};
    case SystemColor::ButtonLight:
        return {227, 227, 227};
    case SystemColor::ButtonShadow:
        return {160, 160, 160};
    }
    return {0, 0, 0};
}

}  // namespace toolkit
