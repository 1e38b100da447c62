#include "mainwindow/PhaseRowsPainter.h"

#include "mainwindow/ActionImages.h"
#include "mainwindow/MainPage.h"
#include "mainwindow/PhaseImages.h"
#include "model/Project.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/InplaceEditor.h"

#include <QPainter>
#include <QPixmapCache>

namespace tralcon {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

const QColor kCallSectionColor(255, 255, 221);
const QColor kWorkingSectionColor(234, 255, 234);
const QColor kPhasesTitleColor(234, 234, 255);
const QColor kCyclesTitleColor(239, 234, 255);

// The marker over a signal that is released together with one it
// conflicts with.
QPixmap ConflictMarker() {
    QPixmap pm;
    if (!QPixmapCache::find(QStringLiteral("tralcon-conflict-marker"), &pm)) {
        pm = AnchorImage(2);
        QPixmapCache::insert(QStringLiteral("tralcon-conflict-marker"), pm);
    }
    return pm;
}

QString TitleText(const TProject& project, int row, TPhaseRowsTable table) {
    static const char* const titles[kPhaseRowsTitleRows] = {"Цикл", "Такт", "Время", "Фазы",
                                                            "Tmin"};
    if (table == TPhaseRowsTable::Cycles) {
        if (row == 4)
            return QStringLiteral("Tmin (%1)").arg(Q(project.CycleTimeText(-1)));
        if (row >= kPhaseRowsTitleRows) {
            const int k = row - kPhaseRowsTitleRows;
            if (const TCycle* cycle = project.CycleAt(k); cycle != nullptr)
                return QStringLiteral("%1 (#%2) (%3)")
                    .arg(Q(cycle->Name()))
                    .arg(k + 1)
                    .arg(Q(project.CycleTimeText(k)));
            return {};
        }
    } else if (row >= kPhaseRowsTitleRows) {
        return Q(project.TrendName(row - kPhaseRowsTitleRows));
    }
    return row < kPhaseRowsTitleRows ? QString::fromUtf8(titles[row]) : QString();
}

} // namespace

void DrawPhaseRowsCell(QPainter& p, const TProject& project, const TDrawGrid* g, int c, int r,
                       const QRect& rect, bool expanded, TPhaseRowsTable table, bool selected,
                       int startCycle) {
    const bool cycles = table == TPhaseRowsTable::Cycles;
    const bool lastCol = c == g->ColCount() - 1, lastRow = r == g->RowCount() - 1;
    if (c == 0) {
        const QColor fill = cycles
                                ? (r >= kPhaseRowsTitleRows ? QColor(Qt::white) : kCyclesTitleColor)
                                : kPhasesTitleColor;
        const QRect pr = CellPaintRect(rect, lastCol, lastRow);
        DrawCell(p, pr, fill, selected);
        QRect textRect = pr;
        // A referenced cycle carries the anchor at the right; its name keeps
        // clear of it and is made smaller rather than cut.
        if (const TCycle* cycle = cycles && r >= kPhaseRowsTitleRows
                                      ? project.CycleAt(r - kPhaseRowsTitleRows)
                                      : nullptr;
            cycle != nullptr && cycle->RefCount() > 0) {
            const QPixmap anchor = AnchorImage(1);
            const QSizeF size = anchor.deviceIndependentSize();
            p.drawPixmap(
                QPointF(pr.right() - 3 - size.width(), pr.center().y() - size.height() / 2 + 1),
                anchor);
            textRect.setRight(pr.right() - 3 - static_cast<int>(size.width()));
        }
        DrawFittedCellText(p, textRect, TitleText(project, r, table), Qt::black, p.font());
        return;
    }
    const int row = c - 1;
    const int count = project.RowCount(expanded);
    if (row >= count)
        return;
    auto isCall = [&](int k) {
        const TRowLocation loc = project.LocateRow(k, expanded, -1);
        return loc.Entry || project.CallPhaseList().Contains(loc.Phase);
    };
    const bool call = isCall(row);
    const bool phaseCol = project.IsPhaseRow(row, expanded);
    QColor fill = call ? kCallSectionColor : kWorkingSectionColor;
    if (r >= 4 && phaseCol)
        fill = Qt::white;
    if (r == 0) {
        // One cell over each section, drawn from its first visible column.
        if (c != g->LeftCol() && c - 1 > 0 && isCall(row - 1) == call)
            return;
        QRect span = rect;
        for (int k = row + 1; k < count && isCall(k) == call; ++k)
            span.setWidth(span.width() + g->ColWidth(k + 1));
        const bool toEnd = !call ? !isCall(count - 1) : true;
        const QRect pr = CellPaintRect(span, toEnd, false);
        DrawPlainCell(p, pr, fill);
        DrawCellText(p, pr, call ? QStringLiteral("ТВП") : QStringLiteral("Рабочий"));
        return;
    }
    const QRect pr = CellPaintRect(rect, lastCol, lastRow);
    DrawCell(p, pr, fill, selected);
    QFont mono(QStringLiteral("Courier New"), 8);
    mono.setStyleHint(QFont::Monospace);
    mono.setBold(true);
    switch (r) {
    case 1:
        // "12*…13*" is wider than a column in the desktop's fonts.
        DrawFittedCellText(p, pr, Q(project.RowStepText(row, expanded)), Qt::black, mono);
        break;
    case 2:
        DrawCellText(p, pr, QString::number(project.RowStartTime(row, expanded, startCycle)),
                     Qt::black, &mono);
        break;
    case 3:
        DrawCellText(p, pr, Q(project.RowCaption(row, expanded)),
                     phaseCol ? QColor(255, 0, 0) : QColor(Qt::black));
        break;
    case 4:
        DrawCellText(p, pr, QString::number(project.RowDuration(row, expanded)));
        break;
    default:
        if (!cycles) {
            const int trendRow = r - kPhaseRowsTitleRows;
            const QPixmap image =
                PhaseImage(PhaseImageIndex(project.RowSignal(row, trendRow, expanded)));
            if (!image.isNull())
                p.drawPixmap(rect.adjusted(1, 1, -1, -1), image);
            if (project.RowConflict(row, trendRow, expanded))
                DrawCellImage(p, rect, ConflictMarker());
        } else if (project.CycleAt(r - kPhaseRowsTitleRows) != nullptr)
            DrawCellText(
                p, pr,
                QString::number(project.RowCycleDuration(row, r - kPhaseRowsTitleRows, false)));
        break;
    }
}

void OpenPhaseMinTimeEditor(TPageContext& context, TDrawGrid* grid, const QRect& cell,
                            TPhase* phase) {
    TProject& project = context.Project();
    context.Inplace().OpenSpin(
        grid->viewport(), TInplaceEditor::GridEditorRect(cell), 1, project.MinCycleTime(phase), 1,
        phase->MinTime(), QStringLiteral("с"), [&context, grid, phase](int value) {
            TProject& p = context.Project();
            // The phase may have gone while the editor stayed open.
            if (!p.PhaseList().Contains(phase) && !p.CallPhaseList().Contains(phase))
                return;
            p.SetPhaseMinTime(phase, static_cast<std::uint8_t>(value));
            context.SetModified();
            grid->Invalidate();
        });
}

} // namespace tralcon
