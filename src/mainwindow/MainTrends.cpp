// The directions editor of the main window: the grid dgTrends with its two
// header rows, output binding through PopupOutputs, the control marks, the
// in-place editing of the intermediate times, and adding and deleting
// directions through PopupAddTrends.

#include "mainwindow/ActionImages.h"
#include "mainwindow/Main.h"
#include "model/Project.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/InplaceEditor.h"
#include "widgets/MenuStyle.h"
#include "widgets/vxEdit.h"

#include <QCheckBox>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace tralcon {

namespace {

const QColor kNameColor(221, 255, 255);
const QColor kOutputColor(234, 234, 255);
const QColor kControlColor(255, 255, 221);
const QColor kClosingColor(234, 255, 234);
const QColor kOpeningColor(255, 234, 234);
const QColor kRedMarkColor(255, 0, 0);
const QColor kGreenMarkColor(0, 128, 0);

// Grid columns: 0 name, 1 kind, 2..8 output slots, 9 red control, 10 green
// control, 11 lamp power, 12..16 the times of these signal states.
constexpr int kFirstSlotCol = 2;
constexpr int kLastSlotCol = 8;
constexpr int kRedControlCol = 9;
constexpr int kGreenControlCol = 10;
constexpr int kFirstTimeCol = 12;
constexpr int kTimeStates[5] = {2, 3, 4, 7, 8};

QColor ColumnColor(int col) {
    return col <= 1                  ? kNameColor
           : col <= kLastSlotCol     ? kOutputColor
           : col <= 11               ? kControlColor
           : col < kFirstTimeCol + 3 ? kClosingColor
                                     : kOpeningColor;
}

// Row 1 of the header: one picture per column (none under "№" and "Тип").
constexpr int kHeaderImages[17] = {-1, -1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 2, 12, 13, 14, 15, 16};

// A check mark, 12 points high, centred in the cell; the green one is drawn
// heavier so the two read apart even without colour.
void DrawControlMark(QPainter& p, const QRect& cell, bool green) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(cell).center();
    QPainterPath mark;
    mark.moveTo(c + QPointF(-4.5, 0));
    mark.lineTo(c + QPointF(-1.5, 3.5));
    mark.lineTo(c + QPointF(4.5, -4));
    p.setPen(QPen(green ? kGreenMarkColor : kRedMarkColor, green ? 2.6 : 1.8, Qt::SolidLine,
                  Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.restore();
}

} // namespace

void TMainForm::BuildTrendsEditor() {
    dgTrends->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        DrawTrendsCell(p, c, r, rect);
    };
    dgTrends->OnCellOnTop = [this](int, int r) { return r == FSelTrendRow && r >= 2; };
    dgTrends->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers, QPoint pos) {
        Guard([&] { dgTrendsMouseDown(b, pos); });
    };

    PopupAddTrends = new QMenu(this);
    PopupAddTrends->setObjectName(QStringLiteral("PopupAddTrends"));
    TMenuStyle::Apply(PopupAddTrends);
    struct Entry {
        const char* Caption;
        int Tag;
        int Image;
    };
    static const Entry kEntries[] = {
        {"Транспортное", 0, 2}, {"Пешеходное", 10, 3}, {"Пешеходное ЗМ", 20, 4},
        {"Стрелка", 30, 5},     {"Стрелка ЗМ", 35, 7}, {"Трамвайное", 40, 6},
    };
    for (const Entry& e : kEntries) {
        QAction* a =
            PopupAddTrends->addAction(PopupTrendIcon(e.Image), QString::fromUtf8(e.Caption));
        a->setData(e.Tag);
        const int tag = e.Tag;
        connect(a, &QAction::triggered, this, [this, tag] { Guard([&] { N15Click(tag); }); });
    }
}

TMainForm::TTrendsCell TMainForm::TrendsCell(int col, int row) const {
    TTrendsCell cell;
    const TTrend* t = FProject && row >= 2 ? FProject->TrendAt(row - 2) : nullptr;
    if (t == nullptr)
        return cell;
    if (col == 0) {
        cell.Text = QString::fromStdString(FProject->TrendName(row - 2));
    } else if (col >= kFirstSlotCol && col <= kLastSlotCol) {
        const int slot = col - kFirstSlotCol;
        cell.Editable = KindHasSlot(t->Kind(), slot);
        if (cell.Editable)
            cell.Text = QString::fromStdString(FProject->OutputName(t->GetOutput(slot)));
    } else if (col == kRedControlCol || col == kGreenControlCol) {
        // Only an output that can carry the lamp's current can be monitored.
        const bool red = col == kRedControlCol;
        const TControllerOutput* o = t->GetOutput(red ? 0 : 2);
        cell.Editable = o != nullptr && (o->ModelOutput->Flags & (red ? ofRed : ofGreen)) != 0;
        if (cell.Editable && (red ? t->RedControl() : t->GreenControl()))
            cell.Mark = red ? TControlMark::Red : TControlMark::Green;
    } else if (col >= kFirstTimeCol && col < kFirstTimeCol + 5) {
        const int state = kTimeStates[col - kFirstTimeCol];
        cell.Editable = t->UsesState(state);
        // A state that lasts no time shows nothing, but stays editable.
        if (cell.Editable && t->HasState(state))
            cell.Text = QString::number(t->GetTime(state));
    }
    return cell;
}

void TMainForm::DrawTrendsCell(QPainter& p, int c, int r, const QRect& rect) {
    if (!FProject)
        return;
    const QColor fill = ColumnColor(c);
    const bool lastCol = c == dgTrends->ColCount() - 1;
    if (r == 0) {
        // Spanning titles are drawn by their first cell over the columns they
        // span; the cells they cover draw nothing.
        int spanTo = c, rows = 1;
        QString text;
        QPixmap image;
        switch (c) {
        case 0:
            rows = 2, text = QStringLiteral("№");
            break;
        case 1:
            rows = 2, text = QStringLiteral("Тип");
            break;
        case kFirstSlotCol:
            spanTo = kLastSlotCol, text = QStringLiteral("Выходы");
            break;
        case kRedControlCol:
            spanTo = 11, text = QStringLiteral("Контроль");
            break;
        case kFirstTimeCol:
            spanTo = 14, image = TrendImage(0);
            break;
        case 15:
            spanTo = 16, image = TrendImage(1);
            break;
        default:
            return;
        }
        QRect s = rect;
        for (int k = c + 1; k <= spanTo; ++k)
            s.setWidth(s.width() + dgTrends->ColWidth(k));
        if (rows == 2)
            s.setHeight(s.height() + dgTrends->RowHeight(1));
        s = CellPaintRect(s, spanTo == dgTrends->ColCount() - 1,
                          rows == 2 && dgTrends->RowCount() == 2);
        DrawPlainCell(p, s, fill);
        DrawCellText(p, s, text);
        DrawCellImage(p, s, image);
        return;
    }
    if (r == 1) {
        if (c <= 1)
            return; // under "№" and "Тип"
        const QRect s = CellPaintRect(rect, lastCol, r == dgTrends->RowCount() - 1);
        DrawPlainCell(p, s, fill);
        DrawCellImage(p, s, TrendImage(kHeaderImages[c]));
        return;
    }
    const QRect s = CellPaintRect(rect, lastCol, r == dgTrends->RowCount() - 1);
    DrawCell(p, s, fill, r == FSelTrendRow);
    const TTrend* t = FProject->TrendAt(r - 2);
    if (t == nullptr)
        return;
    if (c == 1) {
        DrawCellImage(p, s, TrendImage(17 + t->Kind()));
        return;
    }
    const TTrendsCell cell = TrendsCell(c, r);
    if (cell.Mark != TControlMark::None)
        DrawControlMark(p, s, cell.Mark == TControlMark::Green);
    else
        DrawCellText(p, s, cell.Text);
}

void TMainForm::dgTrendsMouseDown(Qt::MouseButton button, QPoint pos) {
    int c = -1, r = -1;
    const bool onCell = dgTrends->MouseToCell(pos, &c, &r);
    bool editable = false;
    if (!onCell || r < 2 || FProject->TrendAt(r - 2) == nullptr) {
        FSelTrendRow = FSelTrendCol = -1;
    } else {
        editable = TrendsCell(c, r).Editable;
        FSelTrendRow = r;
        FSelTrendCol = editable ? c : -1;
    }
    dgTrends->Invalidate();
    if (button == Qt::LeftButton && editable) {
        TTrend* t = FProject->TrendAt(r - 2);
        const QRect cellRect = dgTrends->CellRect(c, r);
        if (c <= kLastSlotCol) {
            PopupOutputs->popup(
                dgTrends->viewport()->mapToGlobal(cellRect.bottomLeft() + QPoint(0, 1)));
        } else if (c == kRedControlCol) {
            t->SetRedControl(!t->RedControl());
            FModified = true;
        } else if (c == kGreenControlCol) {
            t->SetGreenControl(!t->GreenControl());
            FModified = true;
        } else {
            const int state = kTimeStates[c - kFirstTimeCol];
            const int trendRow = r - 2;
            FInplace->OpenSpin(dgTrends->viewport(), TInplaceEditor::GridEditorRect(cellRect), 0,
                               255, 1, t->GetTime(state), QStringLiteral("с"),
                               [this, t, trendRow, state](int value) {
                                   // The direction may have gone while the editor stayed open.
                                   if (FProject->TrendAt(trendRow) != t)
                                       return;
                                   t->SetTime(state, static_cast<std::uint8_t>(value));
                                   FModified = true;
                                   dgTrends->Invalidate();
                               });
        }
    }
    dgTrends->Invalidate();
    FScheme->SchemeSelectTrend(FSelTrendRow >= 2 ? FSelTrendRow - 2 : -1);
    UpdateEditActions();
}

void TMainForm::Test1Click(TControllerOutput* output) {
    if (FSelTrendRow < 2 || FSelTrendCol < kFirstSlotCol || FSelTrendCol > kLastSlotCol)
        return;
    // Only a free output of this project (or none) may be bound.
    if (output != nullptr && (!FProject->OwnsOutput(output) || output->Owner != nullptr))
        return;
    FProject->SetTrendOutput(FSelTrendRow - 2, FSelTrendCol - kFirstSlotCol, output);
    FModified = true;
    dgTrends->Invalidate();
    UpdateEditActions();
}

void TMainForm::N15Click(int tag) {
    const int kind = KindOfCode(tag);
    if (kind < 0)
        return;
    CloseInplaceEditor();
    const int row = FProject->AddTrendGroup(kind);
    if (row < 0)
        return;
    FSelTrendRow = row + 2;
    FSelTrendCol = -1;
    FScheme->SchemeTrendsAdded(row);
    LayoutTrendsGrid();
    FModified = true;
    UpdateEditActions();
}

void TMainForm::DeleteSelectedTrendGroup() {
    CloseInplaceEditor();
    if (FSelTrendRow >= 2) {
        // The scheme drops the rows first; only a direction the model will
        // really delete may lose them.
        const TTrend* t = FProject->TrendAt(FSelTrendRow - 2);
        if (t == nullptr || !t->IsEditable())
            return;
        FScheme->SchemeTrendsRemoved(FSelTrendRow - 2);
        FProject->DeleteTrendGroupOf(FSelTrendRow - 2);
    }
    FSelTrendCol = -1;
    if (!FProject->TrendGroupList().Empty()) {
        if (FSelTrendRow - 2 >= FProject->TrendCount())
            FSelTrendRow = FProject->TrendCount() + 1;
    } else {
        FSelTrendRow = -1;
    }
    LayoutTrendsGrid();
}

void TMainForm::SelectTrendRow(int row) {
    const int gridRow = row >= 0 && row < FProject->TrendCount() ? row + 2 : -1;
    if (gridRow == FSelTrendRow)
        return;
    FSelTrendRow = gridRow;
    dgTrends->Invalidate();
    UpdateEditActions();
}

TTrendGroup* TMainForm::AddLoadedTrendGroup(int kind) {
    const bool call = kind == kCallKind;
    const int row = FProject->AddTrendGroup(kind);
    if (row < 0)
        return nullptr;
    FSelTrendRow = row + 2;
    if (call) {
        FCallPhasesEnabled = true;
        FProject->EnableCallPhases(true);
    }
    FScheme->SchemeTrendsAdded(row);
    FSelTrendCol = -1;
    LayoutTrendsGrid();
    if (call) {
        LayoutPhasesGrid();
        UpdateCallPhasesButton();
    }
    cbUseRedBlink->setEnabled(FCallPhasesEnabled);
    return FProject->TrendGroupOf(row);
}

} // namespace tralcon
