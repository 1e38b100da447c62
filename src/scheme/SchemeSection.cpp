#include "scheme/SchemeSection.h"

#include <memory>
#include <vector>

namespace tralcon {

namespace {

bool Saved(const TvxSchemeObject* object) {
    const auto* arrow = dynamic_cast<const TvxArrow*>(object);
    return arrow == nullptr || arrow->Points().Count() >= 2;
}

} // namespace

bool SchemeSectionNeeded(const TSchemeDocument& document) {
    for (int row = 0; row < document.RowCount(); ++row)
        for (const TvxSchemeObject* object : document.RowObjects(row))
            if (Saved(object))
                return true;
    return false;
}

void WriteSchemeSection(const TSchemeDocument& document, std::string& out) {
    TSchemeStreamWriter stream(out);
    stream.WriteInt32(document.RowCount());
    for (int row = 0; row < document.RowCount(); ++row) {
        const auto& objects = document.RowObjects(row);
        std::int32_t count = 0;
        for (const TvxSchemeObject* object : objects)
            count += Saved(object) ? 1 : 0;
        stream.WriteInt32(row);
        stream.WriteInt32(count);
        for (const TvxSchemeObject* object : objects)
            if (Saved(object))
                object->SaveToStream(stream);
    }
}

void ReadSchemeSection(TSchemeDocument& document, std::string_view bytes) {
    TSchemeStreamReader stream(bytes);
    // Rows are positions of the loaded project's signals: a section for a
    // different number of rows would hang objects on the wrong directions.
    if (stream.ReadInt32() != document.RowCount())
        throw ESchemeError("Scheme section does not match the signal rows");

    std::vector<std::vector<std::unique_ptr<TvxSchemeObject>>> rows(
        static_cast<std::size_t>(document.RowCount()));
    for (int row = 0; row < document.RowCount(); ++row) {
        if (stream.ReadInt32() != row)
            throw ESchemeError("Scheme section rows are out of order");
        std::int32_t count = stream.ReadInt32();
        if (count < 0)
            throw ESchemeError("Scheme section has a negative object count");
        // Every record takes bytes, so a huge count runs out of them.
        for (std::int32_t i = 0; i < count; ++i) {
            std::unique_ptr<TvxSchemeObject> object = CreateSchemeObject(stream.ReadUInt16());
            if (!object)
                throw ESchemeError("Unknown Scheme Object");
            object->LoadFromStream(stream);
            rows[static_cast<std::size_t>(row)].push_back(std::move(object));
        }
    }
    if (!stream.AtEnd())
        throw ESchemeError("Scheme section has bytes after its last row");

    for (std::size_t row = 0; row < rows.size(); ++row)
        for (auto& object : rows[row])
            document.AddObject(std::move(object), static_cast<int>(row));
}

} // namespace tralcon
