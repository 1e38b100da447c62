#pragma once
// The signal pictures of the phase table, 43×16, drawn by the program at
// the screen's pixel density: 0 green, 1 green blinking, 2 yellow, 3 red,
// 4 red with yellow, 5 a signal closing and 6 a signal opening during a
// collapsed transition.

#include <QPixmap>

namespace tralcon {

enum class TSignalState : std::uint8_t;

inline constexpr int kPhaseImageCount = 7;

QPixmap PhaseImage(int index);
// The picture of a state as RowSignal gives it, -1 for none.
int PhaseImageIndex(TSignalState state);

} // namespace tralcon
