#pragma once
// The crossroad scheme as data: the background picture (GIF file bytes), the
// scheme objects in back-to-front order, and which signal row each object
// belongs to. Rows are only positions here (row i is the project's i-th
// counted signal); the project code reports inserted and removed rows, and
// the objects move with their rows. Nothing here knows the project model.

#include "scheme/vxArrows.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tralcon {

class TSchemeDocument {
  public:
    TSchemeDocument() = default;
    TSchemeDocument(const TSchemeDocument&) = delete;
    TSchemeDocument& operator=(const TSchemeDocument&) = delete;
    // A project read into a fresh document is moved in only when the whole
    // file was read.
    TSchemeDocument(TSchemeDocument&&) noexcept = default;
    TSchemeDocument& operator=(TSchemeDocument&&) noexcept = default;

    // --- background picture
    // Takes the bytes when they are a readable GIF file and returns true;
    // otherwise drops them (the scheme then has no background) and returns
    // false.
    bool LoadSchemeBackground(std::string_view gifBytes);
    void ClearBackground() { FBackground.clear(); }
    bool HasBackground() const { return !FBackground.empty(); }
    // The complete GIF file, empty without a background.
    const std::string& Background() const { return FBackground; }

    // --- rows
    int RowCount() const { return static_cast<int>(FRows.size()); }
    // count new rows before row (appended when row is RowCount or more);
    // the rows from there on and their objects shift down.
    void RowsInserted(int row, int count);
    // Removes rows row .. row + count - 1 (as far as they exist) together
    // with every object attached to them.
    void RowsRemoved(int row, int count);

    // --- objects, back (index 0) to front
    int Count() const { return static_cast<int>(FObjects.size()); }
    TvxSchemeObject* Items(int index) const;
    int IndexOf(const TvxSchemeObject* object) const;
    // Appends the object in front of all others and, when row is a valid
    // row, as the last object of that row; -1 leaves it without a row.
    TvxSchemeObject* AddObject(std::unique_ptr<TvxSchemeObject> object, int row = -1);
    // Frees the object.
    void RemoveObject(TvxSchemeObject* object);
    void ClearObjects();
    void SendToBack(TvxSchemeObject* object);
    void BringToFront(TvxSchemeObject* object);

    // --- row membership
    // The object's row, -1 when it has none (or is not in the scheme).
    int RowOf(const TvxSchemeObject* object) const;
    // The objects of a row in the row's own order (empty for a bad row).
    const std::vector<TvxSchemeObject*>& RowObjects(int row) const;
    // Moves the object to row at position (-1: the end) of that row's list;
    // row -1 takes it off its row. Nothing for an object not in the scheme
    // or a row that does not exist.
    void AttachObject(TvxSchemeObject* object, int row, int position = -1);
    // Number of objects that belong to a row (those the section carries).
    int AttachedCount() const;

    // Background and objects go, the rows stay (before a project's scheme
    // is read).
    void ClearSchemeContent();
    // Everything goes, rows included (a new project).
    void ClearScheme();

  private:
    void Detach(const TvxSchemeObject* object);

    std::string FBackground;
    std::vector<std::unique_ptr<TvxSchemeObject>> FObjects;
    std::vector<std::vector<TvxSchemeObject*>> FRows;
};

} // namespace tralcon
