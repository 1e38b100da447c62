#include "scheme/SchemeDocument.h"

#include "scheme/SchemeGif.h"

#include <algorithm>
#include <stdexcept>

namespace tralcon {

namespace {
const std::vector<TvxSchemeObject*> kNoObjects;
}

bool TSchemeDocument::LoadSchemeBackground(std::string_view gifBytes) {
    if (!IsReadableGif(gifBytes)) {
        FBackground.clear();
        return false;
    }
    FBackground.assign(gifBytes);
    return true;
}

void TSchemeDocument::RowsInserted(int row, int count) {
    if (row < 0 || count < 0)
        throw std::out_of_range("Scheme rows: negative row or count");
    row = std::min(row, RowCount());
    FRows.insert(FRows.begin() + row, static_cast<std::size_t>(count), {});
}

void TSchemeDocument::RowsRemoved(int row, int count) {
    if (row < 0 || count < 0)
        throw std::out_of_range("Scheme rows: negative row or count");
    if (row >= RowCount())
        return;
    const int end =
        static_cast<int>(std::min<long long>(static_cast<long long>(row) + count, RowCount()));
    std::vector<TvxSchemeObject*> gone;
    for (int r = row; r < end; ++r) {
        auto& objects = FRows[static_cast<std::size_t>(r)];
        gone.insert(gone.end(), objects.begin(), objects.end());
    }
    FRows.erase(FRows.begin() + row, FRows.begin() + end);
    std::erase_if(FObjects, [&gone](const std::unique_ptr<TvxSchemeObject>& o) {
        return std::find(gone.begin(), gone.end(), o.get()) != gone.end();
    });
}

TvxSchemeObject* TSchemeDocument::Items(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("Scheme object index out of range");
    return FObjects[static_cast<std::size_t>(index)].get();
}

int TSchemeDocument::IndexOf(const TvxSchemeObject* object) const {
    for (std::size_t i = 0; i < FObjects.size(); ++i)
        if (FObjects[i].get() == object)
            return static_cast<int>(i);
    return -1;
}

TvxSchemeObject* TSchemeDocument::AddObject(std::unique_ptr<TvxSchemeObject> object, int row) {
    if (!object)
        return nullptr;
    TvxSchemeObject* raw = object.get();
    FObjects.push_back(std::move(object));
    if (row >= 0 && row < RowCount())
        FRows[static_cast<std::size_t>(row)].push_back(raw);
    return raw;
}

void TSchemeDocument::Detach(const TvxSchemeObject* object) {
    for (auto& objects : FRows)
        std::erase(objects, object);
}

void TSchemeDocument::RemoveObject(TvxSchemeObject* object) {
    int i = IndexOf(object);
    if (i < 0)
        return;
    Detach(object);
    FObjects.erase(FObjects.begin() + i);
}

void TSchemeDocument::ClearObjects() {
    for (auto& objects : FRows)
        objects.clear();
    FObjects.clear();
}

void TSchemeDocument::SendToBack(TvxSchemeObject* object) {
    int i = IndexOf(object);
    if (i > 0)
        std::rotate(FObjects.begin(), FObjects.begin() + i, FObjects.begin() + i + 1);
}

void TSchemeDocument::BringToFront(TvxSchemeObject* object) {
    int i = IndexOf(object);
    if (i >= 0)
        std::rotate(FObjects.begin() + i, FObjects.begin() + i + 1, FObjects.end());
}

int TSchemeDocument::RowOf(const TvxSchemeObject* object) const {
    for (std::size_t r = 0; r < FRows.size(); ++r)
        if (std::find(FRows[r].begin(), FRows[r].end(), object) != FRows[r].end())
            return static_cast<int>(r);
    return -1;
}

const std::vector<TvxSchemeObject*>& TSchemeDocument::RowObjects(int row) const {
    if (row < 0 || row >= RowCount())
        return kNoObjects;
    return FRows[static_cast<std::size_t>(row)];
}

void TSchemeDocument::AttachObject(TvxSchemeObject* object, int row, int position) {
    if (IndexOf(object) < 0 || row < -1 || row >= RowCount())
        return;
    Detach(object);
    if (row < 0)
        return;
    auto& objects = FRows[static_cast<std::size_t>(row)];
    if (position < 0 || position > static_cast<int>(objects.size()))
        position = static_cast<int>(objects.size());
    objects.insert(objects.begin() + position, object);
}

int TSchemeDocument::AttachedCount() const {
    std::size_t n = 0;
    for (const auto& objects : FRows)
        n += objects.size();
    return static_cast<int>(n);
}

void TSchemeDocument::ClearSchemeContent() {
    ClearBackground();
    ClearObjects();
}

void TSchemeDocument::ClearScheme() {
    ClearSchemeContent();
    FRows.clear();
}

} // namespace tralcon
