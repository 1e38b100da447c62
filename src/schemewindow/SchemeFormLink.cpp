// What the main window tells the scheme window: a project's scheme, the
// directions it adds and deletes, the row and the phase it selects, and the
// passport's pictures.

#include "schemewindow/SchemeForm.h"

#include "model/Project.h"
#include "scheme/SchemeScene.h"
#include "schemeview/SchemeImages.h"
#include "schemewindow/SchemePropertyPage.h"

namespace tralcon {

namespace {

struct TQuiet {
    int& Count;
    explicit TQuiet(int& c) : Count(c) { ++Count; }
    ~TQuiet() { --Count; }
    TQuiet(const TQuiet&) = delete;
    TQuiet& operator=(const TQuiet&) = delete;
};

} // namespace

void TSchemeForm::SetProject(const TProject* project) {
    TSchemeLink::SetProject(project);
}

void TSchemeForm::SetScheme(std::unique_ptr<TSchemeDocument> scheme) {
    const TQuiet quiet(FQuiet);
    CRScheme->SetScheme(nullptr);
    TSchemeLink::SetScheme(std::move(scheme));
    CRScheme->SetScheme(&Scheme());
    {
        const QSignalBlocker block(vtScheme);
        vtScheme->Rebuild(Scheme(), FProject);
        vtScheme->FocusNode(nullptr);
    }
    RefreshLabelTexts();
    FocusChanged();
    NoteReported();
}

void TSchemeForm::ClearScheme() {
    const TQuiet quiet(FQuiet);
    CRScheme->SelectObject(nullptr);
    TSchemeLink::ClearScheme();
    CRScheme->SetScheme(&Scheme());
    {
        const QSignalBlocker block(vtScheme);
        vtScheme->Rebuild(Scheme(), FProject);
    }
    Properties->ShowNone();
    NoteReported();
    UpdateActions();
}

void TSchemeForm::SchemeTrendsAdded(int row) {
    const TQuiet quiet(FQuiet);
    const int before = Scheme().RowCount();
    TSchemeLink::SchemeTrendsAdded(row);
    {
        const QSignalBlocker block(vtScheme);
        vtScheme->Rebuild(Scheme(), FProject);
    }
    if (Scheme().RowCount() > before)
        FocusNode({TSchemeNode::lvRow, std::min(row, Scheme().RowCount() - 1), nullptr, -1});
    RefreshLabelTexts();
    NoteReported();
}

void TSchemeForm::SchemeTrendsRemoved(int row) {
    const TQuiet quiet(FQuiet);
    const TSchemeNode focused = vtScheme->FocusedNode();
    CRScheme->BeginUpdate();
    TSchemeLink::SchemeTrendsRemoved(row);
    // The selection may have gone with its row; the control must forget it
    // without touching it.
    CRScheme->ObjectsChanged();
    {
        const QSignalBlocker block(vtScheme);
        vtScheme->Rebuild(Scheme(), FProject);
    }
    CRScheme->EndUpdate();
    TSchemeNode next = focused;
    if (vtScheme->ItemOf(next) == nullptr || next.Level == TSchemeNode::lvNone) {
        const int rows = Scheme().RowCount();
        next = rows == 0 ? TSchemeNode{}
                         : TSchemeNode{TSchemeNode::lvRow, std::min(std::max(row, 0), rows - 1),
                                       nullptr, -1};
    } else if (focused.Row > row) {
        next = {};
    }
    if (next.Level != TSchemeNode::lvNone)
        FocusNode(next);
    else
        FocusChanged();
    RefreshLabelTexts();
    NoteReported();
}

void TSchemeForm::SchemeRemoveCallGroups() {
    const TQuiet quiet(FQuiet);
    CRScheme->BeginUpdate();
    TSchemeLink::SchemeRemoveCallGroups();
    CRScheme->ObjectsChanged();
    {
        const QSignalBlocker block(vtScheme);
        vtScheme->Rebuild(Scheme(), FProject);
    }
    CRScheme->EndUpdate();
    FocusChanged();
    RefreshLabelTexts();
    NoteReported();
}

void TSchemeForm::SchemeSelectTrend(int row) {
    const TQuiet quiet(FQuiet);
    if (FInFocusChange)
        return;
    if (row >= 0 && vtScheme->RowItem(row) != nullptr)
        FocusNode({TSchemeNode::lvRow, row, nullptr, -1});
    else
        FocusNode({});
}

void TSchemeForm::ShowPhaseOnScheme(const TPhase* phase) {
    if (FProject == nullptr)
        return;
    {
        const QSignalBlocker block(vtScheme);
        vtScheme->FocusNode(nullptr);
    }
    CRScheme->BeginUpdate();
    CRScheme->SelectObject(nullptr);
    ShowPhaseView(Scheme(), GreenRows(*FProject, phase));
    CRScheme->EndUpdate();
    Properties->ShowPhase(QString::fromStdString(FProject->PhaseNumberText(phase)));
    vtScheme->viewport()->update();
    UpdateActions();
}

void TSchemeForm::ShowScheme() {
    show();
    raise();
    activateWindow();
}

std::string TSchemeForm::SchemeImage() {
    CRScheme->SelectObject(nullptr);
    std::string gif = TSchemeLink::SchemeImage();
    CRScheme->Invalidate();
    return gif;
}

std::string TSchemeForm::PhaseImage(int index) {
    CRScheme->SelectObject(nullptr);
    std::string gif = TSchemeLink::PhaseImage(index);
    CRScheme->Invalidate();
    return gif;
}

} // namespace tralcon
