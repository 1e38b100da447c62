// The menu of ready trajectory shapes: each item shows its shape.

#include "schemewindow/SchemeForm.h"

#include "widgets/MenuStyle.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace tralcon {

namespace {

// The shape of a preset in a 24 x 24 picture: the points of the preset
// (within 0..150 of the scheme) scaled down, with the end head.
QIcon PresetIcon(const std::vector<QPointF>& points, bool startHead) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    auto at = [](QPointF s) { return QPointF(3 + s.x() * 18 / 140.0, 3 + s.y() * 18 / 140.0); };
    QPainterPath path(at(points.front()));
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(at(points[i]));
    p.setPen(QPen(QColor(0, 160, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    auto head = [&](QPointF tip, QPointF from) {
        QLineF dir(at(from), at(tip));
        dir.setLength(1);
        const QPointF d = dir.p2() - dir.p1();
        const QPointF n(-d.y(), d.x());
        const QPointF t = at(tip) + d * 3;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 160, 0));
        p.drawPolygon(QPolygonF({t, t - d * 6 + n * 3.5, t - d * 6 - n * 3.5}));
    };
    head(points.back(), points[points.size() - 2]);
    if (startHead)
        head(points.front(), points[1]);
    return QIcon(pm);
}

} // namespace

void TSchemeForm::BuildPresets() {
    struct TItem {
        int Tag;
        std::vector<QPointF> Points;
    };
    struct TGroup {
        QString Title;
        std::vector<TItem> Items;
        bool BothHeads;
    };
    const std::vector<TGroup> groups = {
        {QStringLiteral("Прямо"),
         {{1, {{10, 140}, {10, 10}}},
          {2, {{10, 10}, {140, 10}}},
          {3, {{10, 10}, {10, 140}}},
          {4, {{140, 10}, {10, 10}}}},
         false},
        {QStringLiteral("Направо"),
         {{5, {{50, 50}, {10, 50}, {10, 10}}},
          {6, {{10, 50}, {10, 10}, {50, 10}}},
          {7, {{10, 10}, {50, 10}, {50, 50}}},
          {8, {{50, 10}, {50, 50}, {10, 50}}}},
         false},
        {QStringLiteral("Налево"),
         {{9, {{10, 50}, {50, 50}, {50, 10}}},
          {10, {{10, 10}, {10, 50}, {50, 50}}},
          {11, {{50, 10}, {10, 10}, {10, 50}}},
          {12, {{50, 50}, {50, 10}, {10, 10}}}},
         false},
        {QStringLiteral("Пешеходы"),
         {{13, {{20, 100}, {20, 10}}}, {14, {{100, 20}, {10, 20}}}},
         true},
    };
    PopupCurves = new QMenu(this);
    PopupCurves->setObjectName(QStringLiteral("PopupCurves"));
    TMenuStyle::Apply(PopupCurves);
    for (const TGroup& g : groups) {
        QMenu* sub = PopupCurves->addMenu(g.Title);
        TMenuStyle::Apply(sub);
        for (const TItem& item : g.Items) {
            QAction* a = sub->addAction(PresetIcon(item.Points, g.BothHeads), QString());
            a->setObjectName(QStringLiteral("preset%1").arg(item.Tag));
            a->setData(item.Tag);
            const int tag = item.Tag;
            connect(a, &QAction::triggered, this, [this, tag] { AddPreset(tag); });
        }
    }
    QAction* label = PopupCurves->addAction(QStringLiteral("Ярлычок"));
    label->setObjectName(QStringLiteral("N24"));
    connect(label, &QAction::triggered, this, [this] { AddPreset(15); });
}

} // namespace tralcon
