#include "scheme/SchemeQuantise.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace tralcon {

namespace {

struct TCount {
    std::uint32_t Rgb;
    std::uint32_t N;
};

int Channel(std::uint32_t rgb, int c) {
    return static_cast<int>((rgb >> (16 - 8 * c)) & 0xFF);
}

// One box of the median cut: a range of the colour list.
struct TBox {
    std::size_t Begin, End;
    std::array<int, 3> Lo{}, Hi{};
    std::uint64_t Pixels = 0;

    void Measure(const std::vector<TCount>& colours) {
        Lo = {255, 255, 255};
        Hi = {0, 0, 0};
        Pixels = 0;
        for (std::size_t i = Begin; i < End; ++i) {
            for (int c = 0; c < 3; ++c) {
                Lo[c] = std::min(Lo[c], Channel(colours[i].Rgb, c));
                Hi[c] = std::max(Hi[c], Channel(colours[i].Rgb, c));
            }
            Pixels += colours[i].N;
        }
    }
    int WidestChannel() const {
        int best = 0;
        for (int c = 1; c < 3; ++c)
            if (Hi[c] - Lo[c] > Hi[best] - Lo[best])
                best = c;
        return best;
    }
    int Spread() const {
        const int c = WidestChannel();
        return Hi[c] - Lo[c];
    }
};

TGifColor Average(const std::vector<TCount>& colours, const TBox& box) {
    std::array<std::uint64_t, 3> sum{};
    for (std::size_t i = box.Begin; i < box.End; ++i)
        for (int c = 0; c < 3; ++c)
            sum[static_cast<std::size_t>(c)] +=
                static_cast<std::uint64_t>(Channel(colours[i].Rgb, c)) * colours[i].N;
    auto avg = [&](int c) {
        return static_cast<std::uint8_t>((sum[static_cast<std::size_t>(c)] + box.Pixels / 2) /
                                         box.Pixels);
    };
    return {avg(0), avg(1), avg(2)};
}

std::vector<TGifColor> MedianCut(std::vector<TCount>& colours, int maxColours) {
    std::vector<TBox> boxes{{0, colours.size()}};
    boxes[0].Measure(colours);
    while (static_cast<int>(boxes.size()) < maxColours) {
        // Split the box with the widest spread weighted by its pixels, so
        // large areas get their shades and a few stray pixels do not.
        std::size_t pick = boxes.size();
        std::uint64_t best = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const TBox& b = boxes[i];
            if (b.End - b.Begin < 2 || b.Spread() == 0)
                continue;
            const std::uint64_t score = static_cast<std::uint64_t>(b.Spread()) * b.Pixels;
            if (pick == boxes.size() || score > best) {
                pick = i;
                best = score;
            }
        }
        if (pick == boxes.size())
            break;
        TBox box = boxes[pick];
        const int c = box.WidestChannel();
        auto first = colours.begin() + static_cast<std::ptrdiff_t>(box.Begin);
        auto last = colours.begin() + static_cast<std::ptrdiff_t>(box.End);
        std::sort(first, last, [c](const TCount& a, const TCount& b) {
            return Channel(a.Rgb, c) < Channel(b.Rgb, c);
        });
        // The median by pixels, never an empty half.
        std::uint64_t half = box.Pixels / 2, seen = 0;
        std::size_t cut = box.Begin;
        while (cut < box.End - 1 && seen + colours[cut].N <= half)
            seen += colours[cut++].N;
        if (cut == box.Begin)
            cut = box.Begin + 1;
        TBox low{box.Begin, cut}, high{cut, box.End};
        low.Measure(colours);
        high.Measure(colours);
        boxes[pick] = low;
        boxes.push_back(high);
    }
    std::vector<TGifColor> palette;
    palette.reserve(boxes.size());
    for (const TBox& b : boxes)
        palette.push_back(Average(colours, b));
    return palette;
}

std::uint8_t Nearest(const std::vector<TGifColor>& palette, std::uint32_t rgb) {
    const int r = Channel(rgb, 0), g = Channel(rgb, 1), b = Channel(rgb, 2);
    int best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const long dr = palette[i].R - r, dg = palette[i].G - g, db = palette[i].B - b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return static_cast<std::uint8_t>(best);
}

} // namespace

TGifImage QuantiseImage(std::span<const std::uint32_t> pixels, int width, int height,
                        int maxColours) {
    if (width <= 0 || height <= 0 || width > kGifMaxSide || height > kGifMaxSide)
        throw std::invalid_argument("Picture size out of range");
    if (pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        throw std::invalid_argument("Picture pixel count does not match its size");
    maxColours = std::clamp(maxColours, 1, 256);

    std::unordered_map<std::uint32_t, std::uint32_t> histogram;
    for (std::uint32_t p : pixels)
        ++histogram[p & 0xFFFFFFu];
    std::vector<TCount> colours;
    colours.reserve(histogram.size());
    for (auto [rgb, n] : histogram)
        colours.push_back({rgb, n});
    // A fixed order, so the same picture always gives the same file.
    std::sort(colours.begin(), colours.end(),
              [](const TCount& a, const TCount& b) { return a.Rgb < b.Rgb; });

    TGifImage image;
    image.Width = width;
    image.Height = height;
    std::unordered_map<std::uint32_t, std::uint8_t> index;
    if (static_cast<int>(colours.size()) <= maxColours) {
        for (const TCount& c : colours) {
            index[c.Rgb] = static_cast<std::uint8_t>(image.Palette.size());
            image.Palette.push_back({static_cast<std::uint8_t>(Channel(c.Rgb, 0)),
                                     static_cast<std::uint8_t>(Channel(c.Rgb, 1)),
                                     static_cast<std::uint8_t>(Channel(c.Rgb, 2))});
        }
    } else {
        image.Palette = MedianCut(colours, maxColours);
        for (const TCount& c : colours)
            index[c.Rgb] = Nearest(image.Palette, c.Rgb);
    }
    image.Pixels.reserve(pixels.size());
    for (std::uint32_t p : pixels)
        image.Pixels.push_back(index[p & 0xFFFFFFu]);
    return image;
}

} // namespace tralcon
