#include "mainwindow/TrendsPage.h"

#include "mainwindow/ActionImages.h"
#include "mainwindow/MainServices.h"
#include "model/Project.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/GridSizing.h"
#include "widgets/InplaceEditor.h"
#include "widgets/MenuStyle.h"
#include "widgets/vxEdit.h"

#include <QCheckBox>
#include <QMenu>
#include <QPainter>

namespace tralcon {

namespace {

const QColor kNameColor(221, 255, 255);
const QColor kOutputColor(234, 234, 255);
const QColor kControlColor(255, 255, 221);
const QColor kClosingColor(234, 255, 234);
const QColor kOpeningColor(255, 234, 234);
// Column widths of the directions grid.
constexpr int kTrendsColWidths[17] = {36, 24, 30, 30, 30, 30, 30, 30, 30,
                                      30, 30, 45, 45, 45, 45, 45, 45};

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

} // namespace

TTrendsPage::TTrendsPage(TPageContext& context) : TMainPage(context, "tsTrends", 10300) {
    dgTrends = MakeGrid("dgTrends", 30, 10301);
    dgTrends->SetColCount(17);
    for (int c = 0; c < 17; ++c)
        dgTrends->SetColWidth(c, kTrendsColWidths[c]);
    dgTrends->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        DrawTrendsCell(p, c, r, rect);
    };
    dgTrends->OnCellOnTop = [this](int, int r) { return r == FSelTrendRow && r >= 2; };
    dgTrends->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers, QPoint pos) {
        Guard([&] { dgTrendsMouseDown(b, pos); });
    };

    PopupOutputs = new QMenu(this);
    PopupOutputs->setObjectName(QStringLiteral("PopupOutputs"));
    TMenuStyle::Apply(PopupOutputs);
    // Only free outputs can be bound.
    connect(PopupOutputs, &QMenu::aboutToShow, this, [this] {
        for (QAction* entry : PopupOutputs->actions())
            if (QMenu* sub = entry->menu(); sub != nullptr)
                for (QAction* a : sub->actions()) {
                    auto* o = reinterpret_cast<TControllerOutput*>(a->data().value<quintptr>());
                    a->setEnabled(o != nullptr && o->Owner == nullptr);
                }
    });
    BuildAddTrendsMenu();
}

void TTrendsPage::BuildAddTrendsMenu() {
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

TTrendsPage::TTrendsCell TTrendsPage::TrendsCell(int col, int row) const {
    TTrendsCell cell;
    const TTrend* t = row >= 2 ? Project().TrendAt(row - 2) : nullptr;
    if (t == nullptr)
        return cell;
    if (col == 0) {
        cell.Text = QString::fromStdString(Project().TrendName(row - 2));
    } else if (col >= kFirstSlotCol && col <= kLastSlotCol) {
        const int slot = col - kFirstSlotCol;
        cell.Editable = KindHasSlot(t->Kind(), slot);
        if (cell.Editable)
            cell.Text = QString::fromStdString(Project().OutputName(t->GetOutput(slot)));
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

void TTrendsPage::DrawTrendsCell(QPainter& p, int c, int r, const QRect& rect) {
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
    const TTrend* t = Project().TrendAt(r - 2);
    if (t == nullptr)
        return;
    if (c == 1) {
        DrawCellImage(p, s, TrendImage(17 + t->Kind()));
        return;
    }
    const TTrendsCell cell = TrendsCell(c, r);
    if (cell.Mark != TControlMark::None)
        // The green mark is drawn heavier, so the two read apart even
        // without colour.
        DrawCheckMark(p, s, cell.Mark == TControlMark::Green ? kGreenMarkColor : kRedMarkColor,
                      cell.Mark == TControlMark::Green ? 2.6 : 1.8);
    else
        DrawCellText(p, s, cell.Text);
}

void TTrendsPage::dgTrendsMouseDown(Qt::MouseButton button, QPoint pos) {
    int c = -1, r = -1;
    const bool onCell = dgTrends->MouseToCell(pos, &c, &r);
    bool editable = false;
    if (!onCell || r < 2 || Project().TrendAt(r - 2) == nullptr) {
        FSelTrendRow = FSelTrendCol = -1;
    } else {
        editable = TrendsCell(c, r).Editable;
        FSelTrendRow = r;
        FSelTrendCol = editable ? c : -1;
    }
    dgTrends->Invalidate();
    if (button == Qt::LeftButton && editable) {
        TTrend* t = Project().TrendAt(r - 2);
        const QRect cellRect = dgTrends->CellRect(c, r);
        if (c <= kLastSlotCol) {
            PopupOutputs->popup(
                dgTrends->viewport()->mapToGlobal(cellRect.bottomLeft() + QPoint(0, 1)));
        } else if (c == kRedControlCol) {
            t->SetRedControl(!t->RedControl());
            Context().SetModified();
        } else if (c == kGreenControlCol) {
            t->SetGreenControl(!t->GreenControl());
            Context().SetModified();
        } else {
            const int state = kTimeStates[c - kFirstTimeCol];
            const int trendRow = r - 2;
            Context().Inplace().OpenSpin(
                dgTrends->viewport(), TInplaceEditor::GridEditorRect(cellRect), 0, 255, 1,
                t->GetTime(state), QStringLiteral("с"), [this, t, trendRow, state](int value) {
                    // The direction may have gone while the editor stayed open.
                    if (Project().TrendAt(trendRow) != t)
                        return;
                    t->SetTime(state, static_cast<std::uint8_t>(value));
                    Context().SetModified();
                    dgTrends->Invalidate();
                });
        }
    }
    dgTrends->Invalidate();
    Context().Scheme().SchemeSelectTrend(FSelTrendRow >= 2 ? FSelTrendRow - 2 : -1);
    emit EditStateChanged();
}

void TTrendsPage::Test1Click(TControllerOutput* output) {
    if (FSelTrendRow < 2 || FSelTrendCol < kFirstSlotCol || FSelTrendCol > kLastSlotCol)
        return;
    // Only a free output of this project (or none) may be bound.
    if (output != nullptr && (!Project().OwnsOutput(output) || output->Owner != nullptr))
        return;
    Project().SetTrendOutput(FSelTrendRow - 2, FSelTrendCol - kFirstSlotCol, output);
    Context().SetModified();
    dgTrends->Invalidate();
    emit EditStateChanged();
}

void TTrendsPage::N15Click(int tag) {
    const int kind = KindOfCode(tag);
    if (kind < 0)
        return;
    Context().Inplace().Close();
    const int row = Project().AddTrendGroup(kind);
    if (row < 0)
        return;
    FSelTrendRow = row + 2;
    FSelTrendCol = -1;
    Context().Scheme().SchemeTrendsAdded(row);
    Layout();
    Context().NameNextChange(QStringLiteral("новое направление ") +
                             QString::fromStdString(Project().TrendName(row)));
    Context().SetModified();
    emit EditStateChanged();
}

void TTrendsPage::DeleteSelectedTrendGroup() {
    Context().Inplace().Close();
    if (FSelTrendRow >= 2) {
        // The scheme drops the rows first; only a direction the model will
        // really delete may lose them.
        const TTrend* t = Project().TrendAt(FSelTrendRow - 2);
        if (t == nullptr || !t->IsEditable())
            return;
        Context().NameNextChange(QStringLiteral("удаление направления ") +
                                 QString::fromStdString(Project().TrendName(FSelTrendRow - 2)));
        Context().Scheme().SchemeTrendsRemoved(FSelTrendRow - 2);
        Project().DeleteTrendGroupOf(FSelTrendRow - 2);
    }
    FSelTrendCol = -1;
    if (!Project().TrendGroupList().Empty()) {
        if (FSelTrendRow - 2 >= Project().TrendCount())
            FSelTrendRow = Project().TrendCount() + 1;
    } else {
        FSelTrendRow = -1;
    }
    Layout();
}

void TTrendsPage::SelectTrendRow(int row) {
    const int gridRow = row >= 0 && row < Project().TrendCount() ? row + 2 : -1;
    if (gridRow == FSelTrendRow)
        return;
    FSelTrendRow = gridRow;
    dgTrends->Invalidate();
    emit EditStateChanged();
}

TTrendGroup* TTrendsPage::AddLoadedTrendGroup(int kind) {
    const bool call = kind == kCallKind;
    const int row = Project().AddTrendGroup(kind);
    if (row < 0)
        return nullptr;
    FSelTrendRow = row + 2;
    if (call)
        Project().EnableCallPhases(true);
    Context().Scheme().SchemeTrendsAdded(row);
    FSelTrendCol = -1;
    Layout();
    if (call)
        emit CallPhasesChanged();
    return Project().TrendGroupOf(row);
}

void TTrendsPage::CallPhasesSwitched(bool on) {
    const TProject& p = Project();
    if (on) {
        for (int row = 0; row < p.TrendCount(); ++row)
            if (p.TrendAt(row) == p.CallTrend())
                FSelTrendRow = row + 2;
    } else if (p.TrendGroupList().Empty()) {
        FSelTrendRow = -1;
    } else if (FSelTrendRow - 2 >= p.TrendCount()) {
        FSelTrendRow = p.TrendCount() + 1;
    }
    FSelTrendCol = -1;
    Layout();
    emit EditStateChanged();
}

void TTrendsPage::Reset() {
    FSelTrendRow = FSelTrendCol = -1;
    // A read project shows its last direction selected.
    if (const int groups = Project().TrendGroupList().Count(); groups > 0)
        FSelTrendRow = Project().FirstRowOf(Project().TrendGroupAt(groups - 1)) + 2;
    RebuildOutputsMenu();
    Layout();
}

void TTrendsPage::Refresh() {
    dgTrends->Invalidate();
}

bool TTrendsPage::CanPlus() const {
    return Project().HasFreeOutput();
}

bool TTrendsPage::CanMinus() const {
    const TTrend* t = FSelTrendRow >= 2 ? Project().TrendAt(FSelTrendRow - 2) : nullptr;
    return t != nullptr && t->IsEditable();
}

void TTrendsPage::Plus() {
    // The menu does not wait; a dismissed menu counts as a command too.
    Context().PopupPlusMenu(PopupAddTrends);
    Context().SetModified();
}

void TTrendsPage::Minus() {
    DeleteSelectedTrendGroup();
    Context().SetModified();
}

void TTrendsPage::ControllersChanged() {
    RebuildOutputsMenu();
}

// One submenu per controller; the captions (numbers and output names) are
// made afresh whenever the controllers change.
void TTrendsPage::RebuildOutputsMenu() {
    PopupOutputs->clear();
    for (QMenu* sub : PopupOutputs->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        delete sub;
    const auto& list = Project().ControllerList();
    if (list.Empty())
        return;
    QAction* none = PopupOutputs->addAction(QStringLiteral("[Нет]"));
    none->setData(QVariant::fromValue<quintptr>(0));
    connect(none, &QAction::triggered, this, [this] { Test1Click(nullptr); });
    PopupOutputs->addSeparator();
    for (int i = 0; i < list.Count(); ++i) {
        TController* c = list[i];
        if (c->Outputs.Empty())
            continue;
        auto* sub = new QMenu(PopupOutputs);
        sub->setObjectName(QStringLiteral("PopupOutputsController"));
        TMenuStyle::Apply(sub);
        sub->setTitle(
            QStringLiteral("%1. %2").arg(i + 1).arg(QString::fromStdString(c->Model->Caption)));
        sub->menuAction()->setData(QVariant::fromValue(reinterpret_cast<quintptr>(c)));
        PopupOutputs->addMenu(sub);
        // Universal outputs first, then red, yellow and green ones.
        auto group = [](const TControllerOutput* o) {
            const std::uint8_t f = o->ModelOutput->Flags;
            if ((f & ofUniversal) == ofUniversal)
                return 0;
            if (f & ofRed)
                return 1;
            if (f & ofGreen)
                return 3;
            return 2;
        };
        for (int g = 0; g < 4; ++g)
            for (TControllerOutput* o : c->Outputs) {
                if (group(o) != g)
                    continue;
                QAction* a = sub->addAction(TrendMenuIcon(OutputImageIndex(o->ModelOutput->Flags)),
                                            QString::fromStdString(Project().OutputName(o)));
                a->setData(QVariant::fromValue(reinterpret_cast<quintptr>(o)));
                connect(a, &QAction::triggered, this, [this, o] { Test1Click(o); });
            }
    }
}

void TTrendsPage::Layout() {
    const int trends = Project().TrendCount();
    TGridLayout l;
    l.Left = 8;
    l.Top = 14;
    l.Rows = trends + 2;
    l.Cols = 17;
    l.FixedRows = trends > 0 ? 2 : 0;
    l.HomeWhenFits = false;
    const TGridSize s = LayoutGrid(dgTrends, rect(), l);
    if (!s.HorzBar)
        dgTrends->SetLeftCol(0);
    // The selected row stays in view.
    if (!s.VertBar) {
        dgTrends->SetTopRow(0);
    } else if (FSelTrendRow >= 2) {
        if (FSelTrendRow < dgTrends->TopRow())
            dgTrends->SetTopRow(FSelTrendRow);
        else if (FSelTrendRow >= dgTrends->TopRow() + dgTrends->VisibleRowCount())
            dgTrends->SetTopRow(FSelTrendRow - dgTrends->VisibleRowCount() + 1);
    }
    dgTrends->Invalidate();
}

} // namespace tralcon
