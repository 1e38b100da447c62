#include "mainwindow/UndoSnapshots.h"

namespace tralcon {

TSnapshotCommand::TSnapshotCommand(const QString& text, TSnapshot before, TSnapshot after, int page,
                                   int mergeKey, TRestore restore)
    : QUndoCommand(text), FBefore(std::move(before)), FAfter(std::move(after)), FPage(page),
      FMergeKey(mergeKey), FRestore(std::move(restore)) {}

void TSnapshotCommand::undo() {
    FRestore(FBefore, FPage);
    FDone = false;
}

void TSnapshotCommand::redo() {
    // The stack redoes a command as it is pushed; the change is made already.
    if (FDone)
        return;
    FRestore(FAfter, FPage);
    FDone = true;
}

bool TSnapshotCommand::mergeWith(const QUndoCommand* other) {
    const auto* o = dynamic_cast<const TSnapshotCommand*>(other);
    if (o == nullptr || o->FMergeKey != FMergeKey || o->FPage != FPage || FMergeKey == 0)
        return false;
    FAfter = o->FAfter;
    return true;
}

} // namespace tralcon
