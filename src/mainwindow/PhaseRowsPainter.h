#pragma once
// The row sequence of the working and call cycles as the phase and cycle
// tables show it across: the section titles, step numbers, start times,
// captions and durations, one column per row of the sequence.

class QPainter;
class QRect;

namespace tralcon {

class TDrawGrid;
class TPageContext;
class TPhase;
class TProject;

enum class TPhaseRowsTable { Phases, Cycles };

// Grid rows 0 to 4 are the sequence's title rows; the table's own rows
// follow from row 5.
constexpr int kPhaseRowsTitleRows = 5;

// Paints the cell (col, row) of a table over the project's row sequence:
// column 0 holds the row titles, column c ≥ 1 the sequence's row c − 1.
// selected: the cell takes the selected look. startCycle: the cycle whose
// durations the start times follow (-1: the phases' minimum times).
void DrawPhaseRowsCell(QPainter& p, const TProject& project, const TDrawGrid* g, int col, int row,
                       const QRect& rect, bool expanded, TPhaseRowsTable table, bool selected,
                       int startCycle = -1);

// The in-place editor of a phase's minimum time over the grid's cell: 1 up
// to the phase's shortest cycle duration. Every change is written at once
// (cycle durations below it are raised) and the grid repainted.
void OpenPhaseMinTimeEditor(TPageContext& context, TDrawGrid* grid, const QRect& cell,
                            TPhase* phase);

} // namespace tralcon
