#pragma once
// The navigation keys of the field columns and the malt barley dialog, from Qt's key codes.

#include "editor/keys.h"

#include <Qt>
#include <optional>

namespace acremark {

inline std::optional<NavKey> NavKeyOf(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return NavKey::Enter;
    case Qt::Key_Down: return NavKey::Down;
    case Qt::Key_Up: return NavKey::Up;
    case Qt::Key_Left: return NavKey::Left;
    case Qt::Key_Right: return NavKey::Right;
    default: return std::nullopt;
    }
}

} // namespace acremark
