#include "mainwindow/CollisionsPage.h"

#include "model/Project.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/GridSizing.h"

#include <QKeyEvent>
#include <QPainter>

namespace tralcon {

namespace {
const QColor kConflictMarkColor(255, 0, 0);
}

TCollisionsPage::TCollisionsPage(TPageContext& context)
    : TMainPage(context, "tsCollisions", 10400) {
    dgCollisions = MakeGrid("dgCollisions", 35, 10401);
    dgCollisions->setFocusPolicy(Qt::StrongFocus);
    dgCollisions->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        DrawCell(p, c, r, rect);
    };
    dgCollisions->OnMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint pos) {
        int c = -1, r = -1;
        if (!dgCollisions->MouseToCell(pos, &c, &r) || c == 0 || r == 0 || c == r)
            return;
        SetCurrent(c, r);
        if (button == Qt::LeftButton)
            Guard([&] { ToggleCell(c, r); });
    };
    dgCollisions->OnKeyDown = [this](QKeyEvent* e) { return KeyDown(e->key()); };
}

void TCollisionsPage::DrawCell(QPainter& p, int c, int r, const QRect& rect) {
    const TProject& project = Project();
    const bool header = c == 0 || r == 0;
    QString text;
    if (header && c != r)
        text = QString::fromStdString(project.TrendName((c == 0 ? r : c) - 1));
    DrawTitleCell(p, dgCollisions, c, r, rect, header || c == r ? kWindowColor : QColor(Qt::white),
                  text);
    if (header || c == r)
        return;
    if (project.HasConflict(project.TrendAt(c - 1), project.TrendAt(r - 1)))
        DrawCheckMark(p, rect, kConflictMarkColor);
    // The keyboard's cell is framed while the matrix has the focus.
    if (c == FCurCol && r == FCurRow && dgCollisions->hasFocus())
        DrawFocusFrame(p, rect);
}

bool TCollisionsPage::ToggleCell(int c, int r) {
    TProject& project = Project();
    const int n = project.TrendCount();
    if (c < 1 || r < 1 || c > n || r > n || c == r)
        return false;
    TTrend* a = project.TrendAt(c - 1);
    TTrend* b = project.TrendAt(r - 1);
    if (!project.SetConflict(a, b, !project.HasConflict(a, b)))
        return false;
    Context().SetModified();
    dgCollisions->Invalidate();
    return true;
}

void TCollisionsPage::SetCurrent(int c, int r) {
    FCurCol = c;
    FCurRow = r;
    dgCollisions->Invalidate();
}

bool TCollisionsPage::KeyDown(int key) {
    const int n = Project().TrendCount();
    if (n < 2)
        return false;
    if (key == Qt::Key_Space) {
        if (FCurCol >= 1)
            Guard([&] { ToggleCell(FCurCol, FCurRow); });
        return true;
    }
    int dc = 0, dr = 0;
    switch (key) {
    case Qt::Key_Left:
        dc = -1;
        break;
    case Qt::Key_Right:
        dc = 1;
        break;
    case Qt::Key_Up:
        dr = -1;
        break;
    case Qt::Key_Down:
        dr = 1;
        break;
    default:
        return false;
    }
    if (FCurCol < 1) { // the first arrow lands on the first pair
        SetCurrent(2, 1);
        return true;
    }
    // The diagonal is stepped over; at the edge the cell stays.
    int c = FCurCol + dc, r = FCurRow + dr;
    if (c == r)
        c += dc, r += dr;
    if (c >= 1 && c <= n && r >= 1 && r <= n)
        SetCurrent(c, r);
    return true;
}

void TCollisionsPage::Reset() {
    FCurCol = FCurRow = -1;
    Layout();
}

void TCollisionsPage::Layout() {
    const int trends = Project().TrendCount();
    TGridLayout l;
    l.Left = 11;
    l.Top = 14;
    l.Rows = l.Cols = trends + 1;
    l.FixedRows = l.FixedCols = trends > 0 ? 1 : 0;
    LayoutGrid(dgCollisions, rect(), l);
    if (FCurCol > trends || FCurRow > trends)
        FCurCol = FCurRow = -1;
    dgCollisions->Invalidate();
}

void TCollisionsPage::Refresh() {
    dgCollisions->Invalidate();
}

} // namespace tralcon
