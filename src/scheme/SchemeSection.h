#pragma once
// The scheme section of the project file: per signal row, the objects drawn
// for it. The project file code places the section (after the background
// picture, running up to the file's checksum) and hands over its bytes.
//
//   int32 RowCount, then per row: int32 RowIndex, int32 ObjectCount and the
//   objects' records (uint16 kind 100 trajectory or 200 label, then the
//   record of that kind).

#include "scheme/SchemeDocument.h"

#include <string>
#include <string_view>

namespace tralcon {

// True when the project file must carry a scheme section: some row has an
// object. (Objects without a row are not saved.)
bool SchemeSectionNeeded(const TSchemeDocument& document);

// Appends the section for every row of the document to out. Trajectories
// with fewer than two points are left out; no file may hold them.
void WriteSchemeSection(const TSchemeDocument& document, std::string& out);

// Reads a section that fills bytes exactly and attaches its objects to the
// document's rows, after the objects the rows already hold. The stored rows
// must be the document's rows, in order. Throws ESchemeError ("Unknown
// Scheme Object" for a record of another kind) and then leaves the document
// as it was.
void ReadSchemeSection(TSchemeDocument& document, std::string_view bytes);

} // namespace tralcon
