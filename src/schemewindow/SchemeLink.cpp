#include "schemewindow/SchemeLink.h"

#include "model/Project.h"
#include "schemeview/SchemeImages.h"

namespace tralcon {

int RowsOfGroup(const TTrendGroup* group) {
    int n = 0;
    for (const TTrend* t : group->Trends())
        n += t->IsCounted() ? 1 : 0;
    return n;
}

void TSchemeLink::SetScheme(std::unique_ptr<TSchemeDocument> scheme) {
    FScheme = scheme ? std::move(scheme) : std::make_unique<TSchemeDocument>();
}

void TSchemeLink::ClearScheme() {
    FScheme->ClearScheme();
}

void TSchemeLink::SchemeTrendsAdded(int row) {
    if (FProject == nullptr)
        return;
    const int added = FProject->TrendCount() - FScheme->RowCount();
    if (added > 0)
        FScheme->RowsInserted(row, added);
}

void TSchemeLink::SchemeTrendsRemoved(int row) {
    if (FProject == nullptr)
        return;
    if (const TTrendGroup* group = FProject->TrendGroupOf(row); group != nullptr)
        FScheme->RowsRemoved(FProject->FirstRowOf(group), RowsOfGroup(group));
}

void TSchemeLink::SchemeRemoveCallGroups() {
    if (FProject == nullptr)
        return;
    // Last first, so the rows of the earlier ones stay where they are.
    const auto& groups = FProject->TrendGroupList();
    for (int i = groups.Count() - 1; i >= 0; --i)
        if (groups[i]->Kind() == kCallKind)
            FScheme->RowsRemoved(FProject->FirstRowOf(groups[i]), RowsOfGroup(groups[i]));
}

std::string TSchemeLink::SchemeImage() {
    return FProject != nullptr ? WriteSchemeImage(*FScheme, *FProject) : std::string();
}

std::string TSchemeLink::PhaseImage(int index) {
    return FProject != nullptr ? WritePhaseImage(*FScheme, *FProject, index) : std::string();
}

} // namespace tralcon
