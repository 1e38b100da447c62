// The drawn grid, its sizing, the cell looks, the numeric edit, the in-place
// editor, the tree and the menu look, on the offscreen platform.

#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/DrawTree.h"
#include "widgets/GridSizing.h"
#include "widgets/HyperLabel.h"
#include "widgets/InplaceEditor.h"
#include "widgets/MenuStyle.h"
#include "widgets/vxEdit.h"

#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace tralcon;

namespace {

QColor Pixel(const QImage& img, int x, int y) {
    return QColor(img.pixel(x, y));
}

// A grid of cols × rows cells of 30 × 18 drawn in the plain look, with the
// selected look on one cell.
struct CellGrid {
    TDrawGrid grid;
    QColor fill = Qt::white;
    int selCol = -1, selRow = -1;
    CellGrid(int cols, int rows) {
        grid.SetDefaultColWidth(30);
        grid.SetDefaultRowHeight(18);
        grid.SetColCount(cols);
        grid.SetRowCount(rows);
        grid.resize(cols * 30, rows * 18);
        grid.OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
            DrawCell(p, CellPaintRect(rect, c == grid.ColCount() - 1, r == grid.RowCount() - 1),
                     fill, c == selCol && r == selRow);
        };
        grid.OnCellOnTop = [this](int c, int r) { return c == selCol && r == selRow; };
    }
};

} // namespace

class WidgetsTest : public QObject {
    Q_OBJECT
  private slots:
    void selectedColourRule_data();
    void selectedColourRule();
    void selectedLookOfWhiteAndGreenCells_data();
    void selectedLookOfWhiteAndGreenCells();
    void neighboursShareOneFrameLine();
    void gridSizingRule_data();
    void gridSizingRule();
    void scrollBarsFollowTheWindowSize();
    void gridWithOnlyFixedRowsShowsNoBody();
    void mouseToCellFollowsScrolling();
    void spinEditClampsAndReportsOnlyChanges();
    void spinEditTypingAboveMaximumStoresMaximum();
    void spinEditBelowMinimumSettlesOnExit();
    void spinEditReadOnlyAndEvents();
    void inplaceEditorWritesThroughAndGoesOnFocusLoss();
    void inplaceEditorIsOnlyOne();
    void treeCellsShareLinesAndKnowTheClickedColumn();
    void menuLook();
    void hyperLabelRunsItsHandler();
};

void WidgetsTest::selectedColourRule_data() {
    QTest::addColumn<QColor>("in");
    QTest::addColumn<QColor>("out");
    QTest::newRow("white stays white") << QColor(255, 255, 255) << QColor(255, 255, 255);
    QTest::newRow("green turns paler") << QColor(234, 255, 234) << QColor(242, 247, 242);
    QTest::newRow("pink") << QColor(255, 234, 234) << QColor(247, 242, 242);
    QTest::newRow("black stays black") << QColor(0, 0, 0) << QColor(0, 0, 0);
    // A grey has no hue: it counts as red and takes a touch of it.
    QTest::newRow("grey counts as hue 0") << QColor(128, 128, 128) << QColor(160, 96, 96);
}

void WidgetsTest::selectedColourRule() {
    QFETCH(QColor, in);
    QFETCH(QColor, out);
    const QColor got = SelectedColor(in);
    QCOMPARE(got.rgb(), out.rgb());
    // Lightness stays: the mean of the largest and smallest channel.
    auto light2 = [](const QColor& c) {
        return std::max({c.red(), c.green(), c.blue()}) + std::min({c.red(), c.green(), c.blue()});
    };
    QVERIFY(std::abs(light2(got) - light2(in)) <= 1);
}

void WidgetsTest::selectedLookOfWhiteAndGreenCells_data() {
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<QColor>("inside");
    QTest::addColumn<QColor>("light");
    QTest::addColumn<QColor>("dark");
    QTest::newRow("white") << QColor(255, 255, 255) << QColor(255, 255, 255)
                           << QColor(255, 255, 255) << QColor(164, 164, 164);
    QTest::newRow("green") << QColor(234, 255, 234) << QColor(242, 247, 242)
                           << QColor(255, 255, 255) << QColor(156, 159, 156);
}

void WidgetsTest::selectedLookOfWhiteAndGreenCells() {
    QFETCH(QColor, fill);
    QFETCH(QColor, inside);
    QFETCH(QColor, light);
    QFETCH(QColor, dark);
    CellGrid g(3, 3);
    g.fill = fill;
    g.selCol = 1;
    g.selRow = 1;
    const QImage img = g.grid.RenderImage();
    // The selected cell (30..60, 18..36 with its shared lines) has a blue
    // frame on all four sides, over the neighbours' lines.
    const QColor blue(0, 0, 255);
    QCOMPARE(Pixel(img, 45, 18), blue);
    QCOMPARE(Pixel(img, 45, 36), blue);
    QCOMPARE(Pixel(img, 30, 27), blue);
    QCOMPARE(Pixel(img, 60, 27), blue);
    // The bevel just inside: light at the top and left, dark at the bottom
    // and right.
    QCOMPARE(Pixel(img, 45, 19), light);
    QCOMPARE(Pixel(img, 31, 27), light);
    QCOMPARE(Pixel(img, 45, 35), dark);
    QCOMPARE(Pixel(img, 59, 27), dark);
    QCOMPARE(Pixel(img, 45, 27), inside);
    // The plain neighbours keep the fill and the navy lines.
    QCOMPARE(Pixel(img, 15, 9), fill);
    QCOMPARE(Pixel(img, 15, 18), QColor(0, 60, 115));
}

void WidgetsTest::neighboursShareOneFrameLine() {
    CellGrid g(2, 2);
    g.fill = QColor(234, 234, 255);
    const QImage img = g.grid.RenderImage();
    const QColor navy(0, 60, 115);
    QCOMPARE(Pixel(img, 0, 5), navy);
    QCOMPARE(Pixel(img, 1, 5), g.fill);
    QCOMPARE(Pixel(img, 29, 5), g.fill);
    QCOMPARE(Pixel(img, 30, 5), navy); // one shared line between columns
    QCOMPARE(Pixel(img, 31, 5), g.fill);
    QCOMPARE(Pixel(img, 59, 5), navy); // the last column ends on its own edge
    QCOMPARE(Pixel(img, 10, 17), g.fill);
    QCOMPARE(Pixel(img, 10, 18), navy);
    QCOMPARE(Pixel(img, 10, 35), navy);
}

void WidgetsTest::gridSizingRule_data() {
    QTest::addColumn<int>("areaW");
    QTest::addColumn<int>("areaH");
    QTest::addColumn<int>("contentW");
    QTest::addColumn<int>("contentH");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<bool>("hbar");
    QTest::addColumn<bool>("vbar");
    // Bar thickness 16 throughout.
    QTest::newRow("fits") << 500 << 300 << 400 << 200 << 400 << 200 << false << false;
    QTest::newRow("exactly fits") << 400 << 200 << 400 << 200 << 400 << 200 << false << false;
    QTest::newRow("too wide") << 300 << 300 << 400 << 200 << 300 << 216 << true << false;
    QTest::newRow("too high") << 500 << 150 << 400 << 200 << 416 << 150 << false << true;
    QTest::newRow("both") << 300 << 150 << 400 << 200 << 300 << 150 << true << true;
    // The horizontal bar eats into the height, which then no longer fits.
    QTest::newRow("wide, then high") << 300 << 210 << 400 << 200 << 300 << 210 << true << true;
    // The vertical bar eats into the width, which then no longer fits.
    QTest::newRow("high, then wide") << 410 << 150 << 400 << 200 << 410 << 150 << true << true;
    QTest::newRow("high, still narrow enough")
        << 416 << 150 << 400 << 200 << 416 << 150 << false << true;
    QTest::newRow("area gone") << -20 << -5 << 400 << 200 << 0 << 0 << true << true;
    QTest::newRow("no content") << 300 << 150 << 0 << 0 << 0 << 0 << false << false;
}

void WidgetsTest::gridSizingRule() {
    QFETCH(int, areaW);
    QFETCH(int, areaH);
    QFETCH(int, contentW);
    QFETCH(int, contentH);
    const TGridSize s = ComputeGridSize(areaW, areaH, contentW, contentH, 16);
    QTEST(s.Width, "w");
    QTEST(s.Height, "h");
    QTEST(s.HorzBar, "hbar");
    QTEST(s.VertBar, "vbar");
}

void WidgetsTest::scrollBarsFollowTheWindowSize() {
    QWidget page;
    page.resize(800, 600);
    auto* grid = new TDrawGrid(&page);
    grid->SetDefaultColWidth(45);
    grid->SetDefaultRowHeight(18);
    TGridLayout layout;
    layout.Left = 11;
    layout.Top = 26;
    layout.Rows = 20;
    layout.Cols = 12;
    layout.FixedRows = 5;
    layout.ExtraHeight = 1;
    page.show();

    TGridSize s = LayoutGrid(grid, page.rect(), layout);
    QVERIFY(!s.HorzBar && !s.VertBar);
    QCOMPARE(grid->geometry(), QRect(11, 26, 12 * 45, 20 * 18 + 1));
    QCOMPARE(grid->horizontalScrollBar()->isVisible(), false);

    page.resize(300, 200);
    s = LayoutGrid(grid, page.rect(), layout);
    QVERIFY(s.HorzBar && s.VertBar);
    QCOMPARE(grid->geometry(), QRect(11, 26, 300 - 22, 200 - 26 - 11));
    QVERIFY(grid->horizontalScrollBar()->isVisible());
    QVERIFY(grid->verticalScrollBar()->isVisible());
    grid->SetLeftCol(6);
    grid->SetTopRow(9);
    QCOMPARE(grid->LeftCol(), 6);
    QCOMPARE(grid->TopRow(), 9);

    // Growing back removes the bars and scrolls home.
    page.resize(800, 600);
    s = LayoutGrid(grid, page.rect(), layout);
    QVERIFY(!s.HorzBar && !s.VertBar);
    QCOMPARE(grid->LeftCol(), 0);
    QCOMPARE(grid->TopRow(), 5);
    QVERIFY(!grid->horizontalScrollBar()->isVisible());
    QVERIFY(!grid->verticalScrollBar()->isVisible());

    // Only too high: as high as the area, as wide as the content and a bar.
    page.resize(800, 250);
    s = LayoutGrid(grid, page.rect(), layout);
    QVERIFY(!s.HorzBar && s.VertBar);
    QCOMPARE(grid->width(), 12 * 45 + ScrollBarThickness(grid));
    QCOMPARE(grid->height(), 250 - 26 - 11);
}

void WidgetsTest::gridWithOnlyFixedRowsShowsNoBody() {
    QWidget page;
    page.resize(640, 400);
    auto* grid = new TDrawGrid(&page);
    grid->SetDefaultRowHeight(18);
    grid->SetDefaultColWidth(45);
    int drawnBodyCells = 0;
    grid->OnDrawCell = [&](QPainter&, int, int row, const QRect&) {
        if (row >= 5)
            ++drawnBodyCells;
    };
    TGridLayout layout;
    layout.Left = 11;
    layout.Top = 18;
    layout.Rows = 5;
    layout.Cols = 4;
    layout.FixedRows = 0; // no cycles: no fixed rows either
    layout.ExtraHeight = 1;
    LayoutGrid(grid, page.rect(), layout);
    QCOMPARE(grid->height(), 5 * 18 + 1);
    QCOMPARE(grid->width(), 4 * 45);
    grid->RenderImage();
    QCOMPARE(drawnBodyCells, 0);
}

void WidgetsTest::mouseToCellFollowsScrolling() {
    TDrawGrid grid;
    grid.SetDefaultColWidth(30);
    grid.SetDefaultRowHeight(18);
    grid.SetColCount(10);
    grid.SetRowCount(10);
    grid.SetFixedRows(2);
    grid.SetFixedCols(1);
    grid.SetColWidth(0, 50);
    grid.resize(120, 90); // 2 fixed rows + 3 body rows
    grid.SetScrollBars(TScrollBars::None);
    grid.show();
    int c = 0, r = 0;
    QVERIFY(grid.MouseToCell(QPoint(10, 10), &c, &r));
    QCOMPARE(c, 0);
    QCOMPARE(r, 0);
    QVERIFY(grid.MouseToCell(QPoint(55, 40), &c, &r));
    QCOMPARE(c, 1);
    QCOMPARE(r, 2);
    grid.SetTopRow(5);
    grid.SetLeftCol(3);
    QVERIFY(grid.MouseToCell(QPoint(55, 40), &c, &r));
    QCOMPARE(c, 3);
    QCOMPARE(r, 5);
    QVERIFY(grid.MouseToCell(QPoint(55, 20), &c, &r)); // fixed row stays
    QCOMPARE(r, 1);
    QVERIFY(grid.MouseToCell(QPoint(20, 40), &c, &r)); // so does the fixed column
    QCOMPARE(c, 0);
    QCOMPARE(grid.CellRect(3, 5), QRect(50, 36, 30, 18));
    QVERIFY(grid.CellRect(1, 5).isEmpty()); // scrolled away
    grid.SetTopRow(9);                      // no further than the last page
    QCOMPARE(grid.TopRow(), 7);
    QVERIFY(!grid.MouseToCell(QPoint(500, 10), &c, &r));
    QCOMPARE(c, -1);
    // A point below the last row is in no cell.
    grid.SetRowCount(3);
    QVERIFY(!grid.MouseToCell(QPoint(10, 80), &c, &r));
}

void WidgetsTest::spinEditClampsAndReportsOnlyChanges() {
    TvxSpinEdit e;
    e.SetMinValue(1);
    e.SetMaxValue(255);
    e.SetValue(3);
    QSignalSpy spy(&e, &TvxSpinEdit::Change);
    e.SetValue(3);
    QCOMPARE(spy.count(), 0);
    e.SetValue(1000);
    QCOMPARE(e.Value(), 255);
    QCOMPARE(spy.count(), 1);
    e.SetValue(300);
    QCOMPARE(spy.count(), 1); // still 255: no change
    e.SetValue(-4);
    QCOMPARE(e.Value(), 1);
    QCOMPARE(spy.count(), 2);
    e.SetIncrement(5);
    e.stepBy(1);
    QCOMPARE(e.Value(), 6);
    e.SetSuffix(QStringLiteral("с"));
    QCOMPARE(e.text(), QStringLiteral("6 с"));
    // Narrowing the range pulls the value in.
    e.SetMaxValue(4);
    QCOMPARE(e.Value(), 4);
}

void WidgetsTest::spinEditTypingAboveMaximumStoresMaximum() {
    QWidget w;
    auto* e = new TvxSpinEdit(&w);
    e->SetMinValue(0);
    e->SetMaxValue(255);
    e->SetSuffix(QStringLiteral("с"));
    e->SetValue(4);
    w.show();
    e->setFocus();
    QVector<int> seen;
    connect(e, &TvxSpinEdit::Change, [&](int v) { seen << v; });
    e->selectAll();
    QTest::keyClicks(e, QStringLiteral("300"));
    QCOMPARE(e->Value(), 255);
    QCOMPARE(seen.last(), 255);
    for (int v : seen)
        QVERIFY(v <= 255);
    QVERIFY(e->text().startsWith(QStringLiteral("255")));
}

void WidgetsTest::spinEditBelowMinimumSettlesOnExit() {
    QWidget w;
    auto* e = new TvxSpinEdit(&w);
    auto* other = new QLineEdit(&w);
    e->SetMinValue(10);
    e->SetMaxValue(99);
    e->SetValue(50);
    w.show();
    QApplication::setActiveWindow(&w);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, QStringLiteral("1"));
    QCOMPARE(e->Value(), 50); // "1" may still become 15
    QTest::keyClicks(e, QStringLiteral("5"));
    QCOMPARE(e->Value(), 15);
    e->selectAll();
    QTest::keyClicks(e, QStringLiteral("3"));
    other->setFocus();
    QCOMPARE(e->Value(), 10);
    QCOMPARE(e->text(), QStringLiteral("10"));
}

void WidgetsTest::spinEditReadOnlyAndEvents() {
    QWidget w;
    auto* e = new TvxSpinEdit(&w);
    auto* other = new QLineEdit(&w);
    e->SetMinValue(0);
    e->SetMaxValue(10);
    e->SetValue(5);
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    other->setFocus();
    QSignalSpy enter(e, &TvxSpinEdit::Enter);
    QSignalSpy exit(e, &TvxSpinEdit::Exit);
    e->setFocus();
    QCOMPARE(enter.count(), 1);
    e->SetReadOnly(true);
    QTest::keyClick(e, Qt::Key_Up);
    QTest::keyClicks(e, QStringLiteral("7"));
    QCOMPARE(e->Value(), 5);
    e->SetReadOnly(false);
    QTest::keyClick(e, Qt::Key_Up);
    QCOMPARE(e->Value(), 6);
    other->setFocus();
    QCOMPARE(exit.count(), 1);
    e->SetBorderColor(QColor(0, 0, 255));
    const QImage img = e->grab().toImage();
    QCOMPARE(QColor(img.pixel(0, img.height() / 2)), QColor(0, 0, 255));
}

void WidgetsTest::inplaceEditorWritesThroughAndGoesOnFocusLoss() {
    QWidget w;
    w.resize(300, 200);
    auto* grid = new QWidget(&w);
    grid->setGeometry(0, 0, 300, 150);
    grid->setFocusPolicy(Qt::StrongFocus);
    auto* other = new QLineEdit(&w);
    other->setGeometry(0, 160, 100, 20);
    w.show();
    QApplication::setActiveWindow(&w);
    TInplaceEditor host;
    QVector<int> writes;
    TvxSpinEdit* e = host.OpenSpin(grid, TInplaceEditor::GridEditorRect(QRect(45, 18, 45, 18)), 0,
                                   255, 1, 7, QStringLiteral("с"), [&](int v) { writes << v; });
    QCOMPARE(e->geometry(), QRect(46, 19, 43, 16));
    QVERIFY(e->hasFocus());
    QCOMPARE(e->cursor().shape(), Qt::SplitVCursor);
    QTest::keyClick(e, Qt::Key_Up);
    QCOMPARE(writes, QVector<int>{8});
    QPointer<TvxSpinEdit> guard(e);
    other->setFocus();
    QTRY_VERIFY(!host.IsOpen());
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(writes, QVector<int>{8});
}

void WidgetsTest::inplaceEditorIsOnlyOne() {
    QWidget w;
    w.show();
    TInplaceEditor host;
    QString text;
    QPointer<QWidget> first = host.OpenSpin(&w, QRect(0, 0, 40, 18), 0, 9, 1, 1, {}, {});
    QLineEdit* t = host.OpenText(&w, QRect(0, 20, 80, 18), QStringLiteral("Цикл"), 10,
                                 [&](const QString& s) { text = s; });
    QVERIFY(first.isNull() || !first->isVisible());
    QCOMPARE(host.Editor(), t);
    QCOMPARE(t->selectedText(), QStringLiteral("Цикл"));
    QTest::keyClicks(t, QStringLiteral("Night"));
    QCOMPARE(text, QStringLiteral("Night"));
    host.Close();
    QVERIFY(!host.IsOpen());
    host.Close(); // nothing open: nothing happens
}

void WidgetsTest::treeCellsShareLinesAndKnowTheClickedColumn() {
    TDrawTree tree;
    tree.SetColumns({QStringLiteral("№/Вых."), QStringLiteral("Модель/направление")}, {55, 200});
    auto* top = new QTreeWidgetItem(&tree, QStringList{QStringLiteral("1"), QStringLiteral("М")});
    auto* child = new QTreeWidgetItem(top, QStringList{QStringLiteral("1к"), QString()});
    tree.resize(400, 200);
    tree.show();
    tree.expandAll();
    QCOMPARE(tree.header()->height(), TDrawTree::kRowHeight);
    const QRect cell = tree.CellRect(child, 1);
    QCOMPARE(cell.height(), TDrawTree::kRowHeight);
    QCOMPARE(tree.CellPaintRect(child, 1), cell.adjusted(-1, -1, 0, 0));
    QCOMPARE(tree.CellPaintRect(child, 0), tree.CellRect(child, 0).adjusted(0, -1, 0, 0));
    QCOMPARE(TDrawTree::Level(child), 1);

    // A click focuses the node first, then the column is found on it.
    int clicked = -2;
    tree.OnClick = [&](Qt::MouseButton, QPoint pos) { clicked = tree.ClickedColumn(pos); };
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(tree.currentItem(), child);
    QVERIFY(child->isSelected());
    QCOMPARE(clicked, 1);

    // The selected child is filled in the selected look of the level colour.
    const QImage img = tree.viewport()->grab().toImage();
    QCOMPARE(QColor(img.pixel(cell.center())), SelectedColor(kTreeLevel1Color));
    const QRect topCell = tree.CellRect(top, 1);
    QCOMPARE(QColor(img.pixel(topCell.left() + 3, topCell.top() + 3)), kTreeLevel0Color);
}

void WidgetsTest::menuLook() {
    QMenu menu;
    TMenuStyle::Apply(&menu);
    QAction* a = menu.addAction(QStringLiteral("Сохранить"));
    a->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    menu.addSeparator();
    QAction* b = menu.addAction(QStringLiteral("Удалить"));
    b->setEnabled(false);
    menu.popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    menu.setActiveAction(a);
    QImage img = menu.grab().toImage();
    const QRect ra = menu.actionGeometry(a);
    QCOMPARE(ra.height(), TMenuStyle::kItemHeight);
    QCOMPARE(QColor(img.pixel(ra.left() + 2, ra.center().y())), kMenuHighlightColor);
    const QRect rb = menu.actionGeometry(b);
    QCOMPARE(QColor(img.pixel(rb.left() + 2, rb.center().y())), kMenuColor);
    // A disabled item is not highlighted.
    menu.setActiveAction(b);
    img = menu.grab().toImage();
    QCOMPARE(QColor(img.pixel(rb.left() + 2, rb.center().y())), kMenuColor);
    menu.close();
}

void WidgetsTest::hyperLabelRunsItsHandler() {
    THyperLabel label(QStringLiteral("сайт"));
    int clicks = 0;
    label.OnClick = [&] { ++clicks; };
    label.resize(80, 20);
    label.show();
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QVERIFY(label.font().underline());
}

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
