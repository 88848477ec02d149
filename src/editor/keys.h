#pragma once
// The keys the main window and the malt barley dialog move the focus with.

namespace acremark {

enum class NavKey { Enter, Down, Up, Left, Right };

} // namespace acremark
