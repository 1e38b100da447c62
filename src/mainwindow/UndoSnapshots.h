#pragma once
// Undo and redo by snapshots: every change an editor makes is one step that
// holds the project file's bytes before and after it, so no editor needs an
// inverse operation of its own. A run of typing in one in-place editor is
// one step.

#include <QUndoCommand>

#include <cstdint>
#include <functional>
#include <vector>

namespace tralcon {

using TSnapshot = std::vector<std::uint8_t>;

class TSnapshotCommand : public QUndoCommand {
  public:
    // restore: puts a snapshot back and shows the page the change was on.
    using TRestore = std::function<void(const TSnapshot& bytes, int page)>;
    // mergeKey ≠ 0: later steps with the same key join this one.
    TSnapshotCommand(const QString& text, TSnapshot before, TSnapshot after, int page, int mergeKey,
                     TRestore restore);

    void undo() override;
    void redo() override;
    int id() const override { return FMergeKey != 0 ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

    std::size_t Bytes() const { return FBefore.size() + FAfter.size(); }

  private:
    TSnapshot FBefore, FAfter;
    int FPage;
    int FMergeKey;
    TRestore FRestore;
    bool FDone = true; // pushed after the change was made
};

} // namespace tralcon
