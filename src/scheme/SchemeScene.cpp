#include "scheme/SchemeScene.h"

namespace tralcon {

namespace {

const TvxArrow* AsArrow(const TvxSchemeObject* o) {
    return dynamic_cast<const TvxArrow*>(o);
}

// Calls draw for each object in the order of the four layers.
template <class F>
void ForEachInLayers(const TSchemeDocument& scheme, const TvxSchemeObject* selected, F draw) {
    auto pass = [&](auto take) {
        for (int i = 0; i < scheme.Count(); ++i) {
            TvxSchemeObject* o = scheme.Items(i);
            if (o != selected && o->Visible() && take(o))
                draw(o, i);
        }
    };
    pass([](const TvxSchemeObject* o) {
        const TvxArrow* a = AsArrow(o);
        return a != nullptr && a->Points().Color() == kTrajectorySilver;
    });
    pass([](const TvxSchemeObject* o) {
        const TvxArrow* a = AsArrow(o);
        return a != nullptr && a->Points().Color() != kTrajectorySilver;
    });
    pass([](const TvxSchemeObject* o) { return AsArrow(o) == nullptr; });
    if (selected != nullptr && selected->Visible()) {
        const int i = scheme.IndexOf(selected);
        if (i >= 0)
            draw(scheme.Items(i), i);
    }
}

// Points the object at the canvas for one call and back at where it was.
template <class F> void WithCanvas(TvxSchemeObject* o, TCanvas& canvas, F f) {
    TCanvas* old = o->Canvas();
    o->SetCanvas(&canvas);
    f();
    o->SetCanvas(old);
}

void SetArrowColor(TvxSchemeObject* o, TColor c) {
    if (auto* a = dynamic_cast<TvxArrow*>(o))
        a->Points().SetColor(c);
}

} // namespace

void PaintSchemeObjects(const TSchemeDocument& scheme, const TvxSchemeObject* selected,
                        TCanvas& canvas) {
    ForEachInLayers(scheme, selected,
                    [&](TvxSchemeObject* o, int) { WithCanvas(o, canvas, [o] { o->Paint(); }); });
}

void PaintSchemeHitMap(const TSchemeDocument& scheme, const TvxSchemeObject* selected,
                       TCanvas& canvas) {
    ForEachInLayers(scheme, selected, [&](TvxSchemeObject* o, int i) {
        // More than 255 objects cannot be told apart; the later ones are
        // simply not found by a click.
        if (i >= 255)
            return;
        const auto k = static_cast<std::uint8_t>(i + 1);
        WithCanvas(o, canvas, [o, k] { o->PaintColored(TColor::Rgb(k, k, k)); });
    });
}

TvxSchemeObject* ObjectOfHitLevel(const TSchemeDocument& scheme, int level) {
    if (level <= 0 || level > scheme.Count())
        return nullptr;
    return scheme.Items(level - 1);
}

void ShowTrendView(TSchemeDocument& scheme, int focusedRow) {
    for (int i = 0; i < scheme.Count(); ++i) {
        TvxSchemeObject* o = scheme.Items(i);
        o->SetVisible(true);
        const bool green = focusedRow >= 0 && scheme.RowOf(o) == focusedRow;
        SetArrowColor(o, green ? kTrajectoryGreen : kTrajectorySilver);
    }
}

void ShowPhaseView(TSchemeDocument& scheme, const std::vector<bool>& greenRows) {
    for (int row = 0; row < scheme.RowCount(); ++row) {
        const bool green =
            row < static_cast<int>(greenRows.size()) && greenRows[static_cast<std::size_t>(row)];
        for (TvxSchemeObject* o : scheme.RowObjects(row)) {
            o->SetVisible(green);
            SetArrowColor(o, green ? kTrajectoryGreen : kTrajectorySilver);
        }
    }
}

void ShowSchemeView(TSchemeDocument& scheme) {
    for (int i = 0; i < scheme.Count(); ++i) {
        TvxSchemeObject* o = scheme.Items(i);
        const bool inRow = scheme.RowOf(o) >= 0;
        o->SetVisible(inRow);
        if (inRow)
            SetArrowColor(o, kTrajectorySilver);
    }
}

} // namespace tralcon
