#include "model/Timeline.h"

#include "model/Project.h"

namespace tralcon {

namespace {

int Length(const std::vector<TTimelineStep>& steps) {
    return steps.empty() ? 0 : steps.back().Start + steps.back().Duration;
}

} // namespace

int TTimeline::WorkingLength() const {
    return Length(Working);
}

int TTimeline::CallLength() const {
    return Length(Calls);
}

TTimeline BuildTimeline(const TProject& project, int cycle) {
    TTimeline out;
    out.Cycle = cycle;
    const int rows = project.RowCount(true);
    for (int row = 0; row < rows; ++row) {
        const TRowLocation loc = project.LocateRow(row, true, cycle);
        TTimelineStep step;
        step.Row = row;
        step.Call = loc.Entry || project.CallPhaseList().Contains(loc.Phase);
        step.Phase = project.IsPhaseRow(row, true);
        step.Duration = project.RowCycleDuration(row, cycle, true);
        step.StepText = project.RowStepText(row, true);
        if (step.Phase)
            step.Caption = project.RowCaption(row, true);
        for (int t = 0; t < project.TrendCount(); ++t)
            step.Signals.push_back(project.RowSignal(row, t, true));
        std::vector<TTimelineStep>& section = step.Call ? out.Calls : out.Working;
        step.Start = Length(section);
        // A step that lasts no time shows nothing.
        if (step.Duration > 0 || step.Phase)
            section.push_back(std::move(step));
    }
    return out;
}

TAspectColor AspectOf(TSignalState state) {
    switch (state) {
    case TSignalState::Green:
    case TSignalState::ExtraGreen:
    case TSignalState::LeadingGreen:
        return TAspectColor::Green;
    case TSignalState::GreenBlink:
        return TAspectColor::GreenBlink;
    case TSignalState::Yellow:
        return TAspectColor::Yellow;
    case TSignalState::RedYellow:
        return TAspectColor::RedYellow;
    case TSignalState::YellowFlash:
        return TAspectColor::YellowFlash;
    case TSignalState::LightsOff:
        return TAspectColor::Dark;
    default:
        return TAspectColor::Red;
    }
}

} // namespace tralcon
