// The scheme section reader on arbitrary bytes: it either attaches objects
// or refuses the bytes with ESchemeError and leaves the scheme as it was.
// What it read must write out as a section that reads back the same, and
// the objects must survive being drawn and edited.
#include "scheme/SchemeSection.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace tralcon;

// Draws nowhere; measures every character as 6 x 11 pixels.
class TNullCanvas : public TCanvas {
  public:
    void Polyline(std::span<const TPoint>) override {}
    void PolyBezier(const TPoint (&)[4]) override {}
    void Polygon(std::span<const TPoint>) override {}
    void Ellipse(const TRect&) override {}
    void Rectangle(const TRect&) override {}
    void FillRect(const TRect&) override {}
    void DrawFocusRect(const TRect&) override {}
    TSize TextExtent(std::string_view text) override {
        return {static_cast<int>(text.size()) * 6, 11};
    }
    void TextOut(int, int, std::string_view) override {}
    std::unique_ptr<TCanvas> CreateImage(int, int) override {
        return std::make_unique<TNullCanvas>();
    }
    void XorImage(int, int, TCanvas&) override {}
};

// The section states its own row count first; the scheme gets that many
// rows (within reason), so the reader goes past its first check.
int RowsFor(std::string_view bytes) {
    if (bytes.size() < 4)
        return 0;
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
        n = (n << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return n <= 4096 ? static_cast<int>(n) : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int rows = RowsFor(bytes);
    TSchemeDocument doc;
    doc.RowsInserted(0, rows);
    try {
        ReadSchemeSection(doc, bytes);
    } catch (const ESchemeError&) {
        if (doc.Count() != 0)
            std::abort();
        return 0;
    }

    std::string first;
    WriteSchemeSection(doc, first);
    TSchemeDocument again;
    again.RowsInserted(0, rows);
    ReadSchemeSection(again, first); // must not throw: it is our own section
    std::string second;
    WriteSchemeSection(again, second);
    if (first != second)
        std::abort();

    TNullCanvas canvas;
    const TRect area{0, 0, 200, 200};
    for (int i = 0; i < doc.Count(); ++i) {
        TvxSchemeObject* o = doc.Items(i);
        o->SetCanvas(&canvas);
        o->SetSelected(true);
        o->PaintColored(TColor::Rgb(1, 1, 1));
        o->DrawDragImage();
        TRect b = o->GetBounds();
        (void)o->HitTest({b.Left, b.Top});
        if (auto* arrow = dynamic_cast<TvxArrow*>(o)) {
            TvxArrowPoints& pts = arrow->Points();
            pts.SelectPoint(pts.Items(pts.Count() / 2));
            arrow->InsertPointNearSelected();
            arrow->ChangeRadius(5);
            arrow->MoveSelectedPoint(area, 100, 100);
            arrow->DeleteSelectedPoint();
            arrow->FlipHorizontal();
            arrow->FlipVertical();
            arrow->Reverse();
            arrow->SetBounds(area);
            arrow->Offset(-3, 4);
            arrow->Paint();
        }
    }
    doc.RowsRemoved(0, rows / 2);
    return 0;
}
