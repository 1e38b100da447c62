// The menu of ready trajectory shapes: each item shows its shape.

#include "schemewindow/SchemeForm.h"

#include "model/Project.h"
#include "scheme/SchemeScene.h"
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

void TSchemeForm::AddPreset(int tag) {
    struct TShape {
        std::vector<std::pair<TPoint, int>> Points;
        bool StartHead;
    };
    static const TShape kShapes[14] = {
        {{{{10, 140}, 0}, {{10, 10}, 0}}, false},
        {{{{10, 10}, 0}, {{140, 10}, 0}}, false},
        {{{{10, 10}, 0}, {{10, 140}, 0}}, false},
        {{{{140, 10}, 0}, {{10, 10}, 0}}, false},
        {{{{50, 50}, 0}, {{10, 50}, 20}, {{10, 10}, 0}}, false},
        {{{{10, 50}, 0}, {{10, 10}, 20}, {{50, 10}, 0}}, false},
        {{{{10, 10}, 0}, {{50, 10}, 20}, {{50, 50}, 0}}, false},
        {{{{50, 10}, 0}, {{50, 50}, 20}, {{10, 50}, 0}}, false},
        {{{{10, 50}, 0}, {{50, 50}, 20}, {{50, 10}, 0}}, false},
        {{{{10, 10}, 0}, {{10, 50}, 20}, {{50, 50}, 0}}, false},
        {{{{50, 10}, 0}, {{10, 10}, 20}, {{10, 50}, 0}}, false},
        {{{{50, 50}, 0}, {{50, 10}, 20}, {{10, 10}, 0}}, false},
        {{{{20, 100}, 0}, {{20, 10}, 0}}, true},
        {{{{100, 20}, 0}, {{10, 20}, 0}}, true},
    };
    const int row = FocusedRow();
    if (row < 0 || FProject == nullptr || tag < 1 || tag > 15)
        return;
    CRScheme->BeginUpdate();
    TvxSchemeObject* added = nullptr;
    if (tag == 15) {
        auto label = std::make_unique<TvxTrendLabel>();
        label->SetText(FProject->TrendName(row));
        added = CRScheme->AddObject(std::move(label));
        Scheme().AttachObject(added, row, 0);
    } else {
        auto arrow = std::make_unique<TvxArrow>();
        const TShape& shape = kShapes[tag - 1];
        for (const auto& [at, radius] : shape.Points)
            arrow->Points().AddPoint(at, radius);
        if (shape.StartHead)
            arrow->Points().SetStartHead(true);
        arrow->Points().SetColor(kTrajectoryGreen);
        arrow->Points().SetEndHead(true);
        added = CRScheme->AddObject(std::move(arrow), row);
    }
    {
        const QSignalBlocker block(vtScheme);
        vtScheme->Rebuild(Scheme(), FProject);
    }
    CRScheme->SelectObject(added);
    CRScheme->EndUpdate();
    CRScheme->setFocus(Qt::OtherFocusReason);
    SetModified();
}

} // namespace tralcon
