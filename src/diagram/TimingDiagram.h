#pragma once
// The timing diagram of a cycle: a bar per signal row across the cycle, time
// to scale, in the colours of the signal's states; phase names and step
// numbers above, a time axis in seconds below, the call sequence beside it.

#include "model/Timeline.h"

#include <QColor>
#include <QPoint>
#include <QSize>

#include <string>

class QPainter;

namespace tralcon {

class TProject;

struct TDiagramLayout {
    double PixelsPerSecond = 8;
    int RowHeight = 18;
    int NameWidth = 64;
    int TitleHeight = 22;
    int HeaderHeight = 36; // phase names and step numbers
    int AxisHeight = 24;
    int Gap = 32; // between the working and the call sequence
    int Margin = 8;
};

// The colours of the bars (for the pictures and for tests that read them).
QColor AspectFill(TAspectColor aspect);

class TTimingDiagram {
  public:
    TTimingDiagram(const TProject& project, int cycle, TDiagramLayout layout = {});

    QSize Size() const;
    void Paint(QPainter& p) const;
    // The point of the bar of signal row `row` at `second` of the working
    // sequence (or of the call sequence), for hit tests and pixel checks.
    QPoint PointAt(int row, double second, bool call = false) const;
    const TTimeline& Timeline() const { return FTimeline; }

  private:
    int SectionX(bool call) const;
    int RowTop(int row) const;
    void PaintSection(QPainter& p, const std::vector<TTimelineStep>& steps, bool call) const;

    const TProject& FProject;
    TTimeline FTimeline;
    TDiagramLayout FLayout;
    std::string FTitle;
};

// A program without windows (the command-line tool) needs a Qt GUI
// application for fonts and pictures: this makes one, on the offscreen
// platform unless another is asked for.
void EnsureGuiApplication();

// The diagram of the cycle as the bytes of a PNG file (the passport's).
std::string TimingDiagramPng(const TProject& project, int cycle, double pixelsPerSecond = 8);

// Writes the diagram of the cycle as SVG or PNG by the file's suffix; false
// (and the reason) when it could not be written.
bool SaveTimingDiagram(const TProject& project, int cycle, const std::string& path,
                       std::string* error, double pixelsPerSecond = 8);

} // namespace tralcon
