#include "mainwindow/MainPage.h"

#include "mainwindow/Help.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/DrawTree.h"

#include <QVBoxLayout>

namespace tralcon {

TMainPage::TMainPage(TPageContext& context, const char* objectName, int helpContext)
    : FContext(context) {
    setObjectName(QLatin1String(objectName));
    if (helpContext != 0)
        SetHelpContext(this, helpContext);
}

void TMainPage::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // Only the page on show keeps its grid sized; the others are laid out
    // when a page button shows them.
    if (isVisible() && FContext.HasProject())
        Layout();
}

TDrawGrid* TMainPage::MakeGrid(const char* name, int colWidth, int helpContext) {
    auto* g = new TDrawGrid(this);
    g->setObjectName(QLatin1String(name));
    g->SetDefaultColWidth(colWidth);
    g->SetDefaultRowHeight(18);
    g->SetDoubleBuffered(true);
    g->setContextMenuPolicy(Qt::NoContextMenu);
    SetHelpContext(g, helpContext);
    return g;
}

TDrawTree* TMainPage::MakeTree(const char* name, const QStringList& titles,
                               const QList<int>& widths, int helpContext) {
    auto* t = new TDrawTree(this);
    t->setObjectName(QLatin1String(name));
    t->SetColumns(titles, widths);
    SetHelpContext(t, helpContext);
    auto* l = qobject_cast<QVBoxLayout*>(layout());
    if (l == nullptr) {
        l = new QVBoxLayout(this);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
    }
    l->addWidget(t);
    return t;
}

void DrawTitleCell(QPainter& p, const TDrawGrid* g, int col, int row, const QRect& rect,
                   const QColor& fill, const QString& text, bool selected) {
    const QRect r = CellPaintRect(rect, col == g->ColCount() - 1, row == g->RowCount() - 1);
    DrawCell(p, r, fill, selected);
    DrawCellText(p, r, text);
}

} // namespace tralcon
