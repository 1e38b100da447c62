#pragma once
// Pictures and schemes the scheme tests build from.

#include "scheme/SchemeDocument.h"
#include "scheme/SchemeGif.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace tralcon::test {

// A w x h picture with a palette of the given size and a pattern that uses
// every colour.
inline TGifImage Picture(int w, int h, int colours) {
    TGifImage p;
    p.Width = w;
    p.Height = h;
    for (int i = 0; i < colours; ++i)
        p.Palette.push_back({static_cast<std::uint8_t>(i * 37 + 1),
                             static_cast<std::uint8_t>(i * 11),
                             static_cast<std::uint8_t>(255 - i)});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.Pixels.push_back(static_cast<std::uint8_t>((x * 7 + y * 3 + x * y) % colours));
    return p;
}

struct TArrowSpec {
    std::vector<std::array<int, 3>> Points; // x, y, radius
    bool StartHead = false;
    bool EndHead = true;
};

inline std::unique_ptr<TvxArrow> NewArrow(const TArrowSpec& spec) {
    auto arrow = std::make_unique<TvxArrow>();
    for (const auto& p : spec.Points)
        arrow->Points().AddPoint({p[0], p[1]}, p[2]);
    if (spec.StartHead)
        arrow->Points().SetStartHead(true);
    arrow->Points().SetEndHead(spec.EndHead);
    return arrow;
}

inline std::unique_ptr<TvxTrendLabel> NewLabel(int left, int top, std::string text) {
    auto label = std::make_unique<TvxTrendLabel>();
    label->SetBounds({left, top, left, top});
    label->SetText(std::move(text));
    return label;
}

} // namespace tralcon::test
