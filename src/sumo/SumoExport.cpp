#include "sumo/SumoExport.h"

#include "model/Errors.h"
#include "model/Project.h"
#include "model/Timeline.h"
#include "platform/FileIO.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

namespace tralcon {

namespace {

// SUMO's identifiers hold no blanks or XML specials.
std::string Identifier(const std::string& name) {
    std::string out;
    for (unsigned char c : name)
        out += c == ' ' || c == '&' || c == '<' || c == '>' || c == '"' || c == '\'' || c == '|'
                   ? '_'
                   : static_cast<char>(c);
    return out.empty() ? "_" : out;
}

std::string ProgramId(const TProject& p, int cycle) {
    return std::to_string(cycle + 1) + "_" + Identifier(p.CycleAt(cycle)->Name());
}

std::string StateString(const TTimelineStep& step, const std::vector<int>& linkOfRow) {
    std::string s(step.Signals.size(), 'O');
    for (std::size_t row = 0; row < step.Signals.size(); ++row) {
        const std::size_t link =
            row < linkOfRow.size() ? static_cast<std::size_t>(linkOfRow[row]) : row;
        if (link < s.size())
            s[link] = SumoStateLetter(static_cast<int>(step.Signals[row]));
    }
    return s;
}

void Program(std::ostringstream& o, const std::string& id, int rows,
             const std::vector<std::pair<int, std::string>>& phases) {
    o << "    <tlLogic id=\"" << kSumoJunction << "\" type=\"static\" programID=\"" << id
      << "\" offset=\"0\">\n";
    for (const auto& [duration, state] : phases)
        o << "        <phase duration=\"" << duration << "\" state=\"" << state << "\"/>\n";
    (void)rows;
    o << "    </tlLogic>\n";
}

const char* kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

void Write(const std::string& path, const std::string& text) {
    std::string error;
    if (!WriteFileAtomically(path, text, &error))
        throw EUserError("Не удалось записать файл " + path + ": " + error);
}

} // namespace

char SumoStateLetter(int signalState) {
    switch (AspectOf(static_cast<TSignalState>(signalState))) {
    case TAspectColor::Green:
    case TAspectColor::GreenBlink:
        return 'G';
    case TAspectColor::Yellow:
        return 'y';
    case TAspectColor::RedYellow:
        return 'u';
    case TAspectColor::YellowFlash:
        return 'o';
    case TAspectColor::Dark:
        return 'O';
    default:
        return 'r';
    }
}

std::string SumoAdditional(const TProject& p, const TSumoOptions& options) {
    const int rows = p.TrendCount();
    std::ostringstream o;
    o << kHeader << "<additional>\n";
    const int first = options.OnlyCycle >= 0 ? options.OnlyCycle : 0;
    const int last = options.OnlyCycle >= 0 ? options.OnlyCycle : p.CycleList().Count() - 1;
    for (int c = first; c <= last && c < p.CycleList().Count(); ++c) {
        std::vector<std::pair<int, std::string>> phases;
        for (const TTimelineStep& step : BuildTimeline(p, c).Working)
            if (step.Duration > 0)
                phases.emplace_back(step.Duration, StateString(step, options.LinkOfRow));
        Program(o, ProgramId(p, c), rows, phases);
    }
    const bool switching = options.DayPlans && options.OnlyCycle < 0;
    if (switching) {
        // The two fixed programs a day plan may run.
        Program(o, "ZhM", rows, {{3600, std::string(static_cast<std::size_t>(rows), 'o')}});
        Program(o, "OS", rows, {{3600, std::string(static_cast<std::size_t>(rows), 'O')}});
        auto programOf = [&](const TCycle* cycle) {
            if (cycle == p.FlashCycle())
                return std::string("ZhM");
            if (cycle == p.OffCycle())
                return std::string("OS");
            return ProgramId(p, p.CycleList().IndexOf(cycle));
        };
        for (int d = 0; d < p.DayPlanList().Count(); ++d) {
            const TDayPlan* plan = p.DayPlanList()[d];
            o << "    <WAUT id=\"" << d + 1 << "_" << Identifier(plan->Name())
              << "\" refTime=\"0\" startProg=\"" << programOf(plan->ItemAt(0)->Cycle()) << "\">\n";
            for (int i = 0; i < plan->ItemCount(); ++i) {
                const long seconds = std::lround(plan->ItemAt(i)->Time() * 86400.0);
                o << "        <wautSwitch time=\"" << seconds << "\" to=\""
                  << programOf(plan->ItemAt(i)->Cycle()) << "\"/>\n";
            }
            o << "    </WAUT>\n";
        }
        // The first day plan drives the junction (a simulation runs one day).
        if (!p.DayPlanList().Empty())
            o << "    <wautJunction wautID=\"1_" << Identifier(p.DayPlanList()[0]->Name())
              << "\" junctionID=\"" << kSumoJunction << "\"/>\n";
    }
    o << options.Extra << "</additional>\n";
    return o.str();
}

std::vector<int> SumoLinksOfRows(const std::string& net, int rows) {
    std::vector<int> links(static_cast<std::size_t>(rows), -1);
    for (int row = 0; row < rows; ++row) {
        const std::string from = "<connection from=\"in" + std::to_string(row) + "\" ";
        const std::size_t at = net.find(from);
        if (at == std::string::npos)
            return {};
        const std::size_t end = net.find('>', at);
        const std::size_t key = net.find("linkIndex=\"", at);
        if (key == std::string::npos || key > end)
            return {};
        links[static_cast<std::size_t>(row)] = std::atoi(net.c_str() + key + 11);
    }
    return links;
}

// A star of straight roads through the junction, one per signal row: the
// row's stream comes in from one side and leaves on the other.
std::string SumoNodes(const TProject& p) {
    std::ostringstream o;
    o << kHeader << "<nodes>\n";
    o << "    <node id=\"" << kSumoJunction << "\" x=\"0\" y=\"0\" type=\"traffic_light\" tl=\""
      << kSumoJunction << "\"/>\n";
    const int n = std::max(1, p.TrendCount());
    for (int i = 0; i < p.TrendCount(); ++i) {
        const double a = M_PI * i / n;
        char buf[160];
        std::snprintf(buf, sizeof buf,
                      "    <node id=\"a%d\" x=\"%.1f\" y=\"%.1f\"/>\n"
                      "    <node id=\"b%d\" x=\"%.1f\" y=\"%.1f\"/>\n",
                      i, 200 * std::cos(a), 200 * std::sin(a), i, -200 * std::cos(a),
                      -200 * std::sin(a));
        o << buf;
    }
    o << "</nodes>\n";
    return o.str();
}

std::string SumoEdges(const TProject& p) {
    std::ostringstream o;
    o << kHeader << "<edges>\n";
    for (int i = 0; i < p.TrendCount(); ++i) {
        // A pedestrian signal's stream walks: the simulator then expects no
        // yellow before its red, as on the street.
        const int kind = p.TrendAt(i)->Kind();
        const bool walking = kind == 1 || kind == 2;
        const std::string lane = walking
                                     ? "\" numLanes=\"1\" speed=\"1.5\" allow=\"pedestrian\"/>\n"
                                     : "\" numLanes=\"1\" speed=\"13.9\"/>\n";
        o << "    <edge id=\"in" << i << "\" from=\"a" << i << "\" to=\"" << kSumoJunction << lane
          << "    <edge id=\"out" << i << "\" from=\"" << kSumoJunction << "\" to=\"b" << i << lane;
    }
    o << "</edges>\n";
    return o.str();
}

std::string SumoConnections(const TProject& p) {
    std::ostringstream o;
    o << kHeader << "<connections>\n";
    for (int i = 0; i < p.TrendCount(); ++i)
        o << "    <connection from=\"in" << i << "\" to=\"out" << i
          << "\" fromLane=\"0\" toLane=\"0\" tl=\"" << kSumoJunction << "\" linkIndex=\"" << i
          << "\"/>\n";
    o << "</connections>\n";
    return o.str();
}

void ExportSumo(const TProject& project, const std::string& name) {
    if (project.TrendCount() == 0)
        throw EUserError("В проекте нет направлений: нечего передать в SUMO");
    if (project.CycleList().Empty())
        throw EUserError("В проекте нет рабочих циклов: нечего передать в SUMO");
    Write(name + ".nod.xml", SumoNodes(project));
    Write(name + ".edg.xml", SumoEdges(project));
    Write(name + ".con.xml", SumoConnections(project));
    const std::string net = name + ".net.xml";
    auto quoted = [](const std::string& s) {
        std::string q = "'";
        for (char c : s)
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    };
    const std::string command = "netconvert --no-turnarounds true --no-internal-links false" +
                                std::string(" -n ") + quoted(name + ".nod.xml") + " -e " +
                                quoted(name + ".edg.xml") + " -x " + quoted(name + ".con.xml") +
                                " -o " + quoted(net + ".part") + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::remove((net + ".part").c_str());
        throw EUserError(WIFEXITED(status) && WEXITSTATUS(status) == 127
                             ? std::string("Программа netconvert (пакет sumo) не найдена")
                             : "netconvert не построил сеть " + net);
    }
    std::string netXml, error;
    TSumoOptions options;
    if (ReadWholeFile(net + ".part", &netXml, &error))
        options.LinkOfRow = SumoLinksOfRows(netXml, project.TrendCount());
    if (options.LinkOfRow.empty()) {
        std::remove((net + ".part").c_str());
        throw EUserError("netconvert построил сеть " + net + " без связей направлений");
    }
    if (std::rename((net + ".part").c_str(), net.c_str()) != 0)
        throw EUserError("Не удалось записать файл " + net);
    Write(name + ".add.xml", SumoAdditional(project, options));
}

} // namespace tralcon
