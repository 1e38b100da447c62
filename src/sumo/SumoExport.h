#pragma once
// The signal program as traffic-light programs of the SUMO simulator: one
// static program per cycle (a phase per step of the timeline, a link per
// signal row), "ЖМ" and "ОС", and the day plans as switching programs; and a
// small network of one controlled link per signal row, so the program runs
// as it stands.

#include <string>
#include <vector>

namespace tralcon {

class TProject;

inline constexpr const char* kSumoJunction = "J";

struct TSumoOptions {
    // The link index of each signal row (by row); empty: the row itself.
    std::vector<int> LinkOfRow;
    int OnlyCycle = -1;   // ≥ 0: only that cycle's program (and no switching)
    bool DayPlans = true; // the day plans as switching programs
    std::string Extra;    // more elements for the additional file (tests)
};

// The additional file: tlLogic per program, WAUT per day plan.
std::string SumoAdditional(const TProject& project, const TSumoOptions& options = {});
// The link index netconvert gave each signal row's connection, read from
// the network it wrote (it numbers links by their direction, not by the
// order they are given); empty when a row's link is missing.
std::vector<int> SumoLinksOfRows(const std::string& netXml, int rows);
// The plain network: nodes, edges and connections for netconvert.
std::string SumoNodes(const TProject& project);
std::string SumoEdges(const TProject& project);
std::string SumoConnections(const TProject& project);
// The letter of a state in a SUMO state string: G released, y yellow,
// u red with yellow, r red, o yellow flashing, O dark.
char SumoStateLetter(int signalState);

// Writes NAME.add.xml and NAME.net.xml (through netconvert, which must be on
// the PATH); the plain files NAME.nod.xml, NAME.edg.xml, NAME.con.xml stay
// beside them. Throws an EUserError with the reason.
void ExportSumo(const TProject& project, const std::string& name);

} // namespace tralcon
