#include "diagram/TimingDiagram.h"

#include "model/Project.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cmath>

namespace tralcon {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

const QColor kGrid(0, 60, 115);
const QColor kPaper(255, 255, 255);

} // namespace

QColor AspectFill(TAspectColor aspect) {
    switch (aspect) {
    case TAspectColor::Green:
    case TAspectColor::GreenBlink:
        return QColor(20, 170, 60);
    case TAspectColor::Yellow:
    case TAspectColor::YellowFlash:
        return QColor(245, 195, 0);
    case TAspectColor::RedYellow:
    case TAspectColor::Red:
        return QColor(220, 30, 30);
    default:
        return QColor(70, 70, 70);
    }
}

TTimingDiagram::TTimingDiagram(const TProject& project, int cycle, TDiagramLayout layout)
    : FProject(project), FTimeline(BuildTimeline(project, cycle)), FLayout(layout) {
    const TCycle* c = project.CycleAt(cycle);
    FTitle = (c != nullptr ? "Цикл «" + c->Name() + "»" : std::string("Минимальные времена")) +
             ": " + std::to_string(FTimeline.WorkingLength()) + " с";
    if (!FTimeline.Calls.empty())
        FTitle += ", ТВП " + std::to_string(FTimeline.CallLength()) + " с";
}

int TTimingDiagram::SectionX(bool call) const {
    int x = FLayout.Margin + FLayout.NameWidth;
    if (call)
        x += static_cast<int>(std::lround(FTimeline.WorkingLength() * FLayout.PixelsPerSecond)) +
             FLayout.Gap;
    return x;
}

int TTimingDiagram::RowTop(int row) const {
    return FLayout.Margin + FLayout.TitleHeight + FLayout.HeaderHeight + row * FLayout.RowHeight;
}

QSize TTimingDiagram::Size() const {
    int width = SectionX(false) +
                static_cast<int>(std::lround(FTimeline.WorkingLength() * FLayout.PixelsPerSecond));
    if (!FTimeline.Calls.empty())
        width = SectionX(true) +
                static_cast<int>(std::lround(FTimeline.CallLength() * FLayout.PixelsPerSecond));
    return {width + FLayout.Margin + 16,
            RowTop(FProject.TrendCount()) + FLayout.AxisHeight + FLayout.Margin};
}

QPoint TTimingDiagram::PointAt(int row, double second, bool call) const {
    return {SectionX(call) + static_cast<int>(std::lround(second * FLayout.PixelsPerSecond)),
            RowTop(row) + FLayout.RowHeight / 2};
}

void TTimingDiagram::Paint(QPainter& p) const {
    p.save();
    p.fillRect(QRect(QPoint(0, 0), Size()), kPaper);
    QFont title = p.font();
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::black);
    p.drawText(QRect(FLayout.Margin, FLayout.Margin, Size().width(), FLayout.TitleHeight),
               Qt::AlignLeft | Qt::AlignVCenter, Q(FTitle));
    p.restore();
    p.save();
    // Signal names down the left.
    for (int row = 0; row < FProject.TrendCount(); ++row)
        p.drawText(QRect(FLayout.Margin, RowTop(row), FLayout.NameWidth - 6, FLayout.RowHeight),
                   Qt::AlignRight | Qt::AlignVCenter, Q(FProject.TrendName(row)));
    p.restore();
    PaintSection(p, FTimeline.Working, false);
    if (!FTimeline.Calls.empty())
        PaintSection(p, FTimeline.Calls, true);
}

void TTimingDiagram::PaintSection(QPainter& p, const std::vector<TTimelineStep>& steps,
                                  bool call) const {
    if (steps.empty())
        return;
    const double k = FLayout.PixelsPerSecond;
    const int x0 = SectionX(call);
    const int rows = FProject.TrendCount();
    const int bottom = RowTop(rows);
    const int length = call ? FTimeline.CallLength() : FTimeline.WorkingLength();
    auto x = [&](double s) { return x0 + static_cast<int>(std::lround(s * k)); };
    p.save();
    // The bars.
    for (const TTimelineStep& step : steps) {
        if (step.Duration <= 0)
            continue;
        for (int row = 0; row < rows && row < static_cast<int>(step.Signals.size()); ++row) {
            const TAspectColor a = AspectOf(step.Signals[static_cast<std::size_t>(row)]);
            const QRect bar(x(step.Start), RowTop(row) + 3,
                            x(step.Start + step.Duration) - x(step.Start), FLayout.RowHeight - 6);
            if (a == TAspectColor::RedYellow) {
                QRect upper = bar;
                upper.setHeight(bar.height() / 2);
                p.fillRect(upper, AspectFill(TAspectColor::Red));
                p.fillRect(bar.adjusted(0, bar.height() / 2, 0, 0),
                           AspectFill(TAspectColor::Yellow));
                continue;
            }
            p.fillRect(bar, AspectFill(a));
            // Blinking shows hatched.
            if (a == TAspectColor::GreenBlink || a == TAspectColor::YellowFlash)
                p.fillRect(bar, QBrush(Qt::white, Qt::BDiagPattern));
        }
    }
    // Phase boundaries with the phase names and step numbers above.
    QFont small = p.font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 1));
    p.setFont(small);
    const int captionTop = FLayout.Margin + FLayout.TitleHeight;
    for (const TTimelineStep& step : steps) {
        const int left = x(step.Start), right = x(step.Start + step.Duration);
        p.setPen(QPen(kGrid, 1, step.Phase ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(left, captionTop + FLayout.HeaderHeight / 2, left, bottom);
        if (step.Phase) {
            p.setPen(QColor(255, 0, 0));
            p.drawText(
                QRect(left, captionTop, std::max(right - left, 20), FLayout.HeaderHeight / 2),
                Qt::AlignCenter, Q(step.Caption));
        }
        if (right - left >= 10) {
            p.setPen(Qt::black);
            p.drawText(QRect(left, captionTop + FLayout.HeaderHeight / 2, right - left,
                             FLayout.HeaderHeight / 2),
                       Qt::AlignCenter, Q(step.StepText));
        }
    }
    p.setPen(QPen(kGrid, 1));
    p.drawLine(x(length), captionTop + FLayout.HeaderHeight / 2, x(length), bottom);
    // Section name and the time axis.
    p.setPen(Qt::black);
    if (call)
        p.drawText(QRect(x0, FLayout.Margin, x(length) - x0, FLayout.TitleHeight),
                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("ТВП"));
    p.drawLine(x0, bottom + 2, x(length), bottom + 2);
    const int every = k >= 6 ? 5 : 10;
    for (int s = 0; s <= length; s += every) {
        const bool labelled = s % (every * 2) == 0 || s == length;
        p.drawLine(x(s), bottom + 2, x(s), bottom + (labelled ? 8 : 5));
        if (labelled)
            p.drawText(QRect(x(s) - 20, bottom + 8, 40, FLayout.AxisHeight - 8), Qt::AlignCenter,
                       QString::number(s));
    }
    p.restore();
}

void EnsureGuiApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The passport's PDF is printed by the web engine later in the same
    // process; it needs this set before any application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    static int argc = 1;
    static char name[] = "tralcon-cli";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

std::string TimingDiagramPng(const TProject& project, int cycle, double pixelsPerSecond) {
    TDiagramLayout layout;
    layout.PixelsPerSecond = pixelsPerSecond;
    const TTimingDiagram diagram(project, cycle, layout);
    QImage image(diagram.Size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        diagram.Paint(p);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toStdString();
}

bool SaveTimingDiagram(const TProject& project, int cycle, const std::string& path,
                       std::string* error, double pixelsPerSecond) {
    TDiagramLayout layout;
    layout.PixelsPerSecond = pixelsPerSecond;
    const TTimingDiagram diagram(project, cycle, layout);
    const QString name = QString::fromStdString(path);
    const QString suffix = QFileInfo(name).suffix().toLower();
    // Written to a temporary file first: a failed write leaves no half picture.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = "Не удалось записать файл " + path + ": " + file.errorString().toStdString();
        return false;
    }
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(diagram.Size());
        svg.setViewBox(QRect(QPoint(0, 0), diagram.Size()));
        svg.setTitle(QStringLiteral("Временная диаграмма"));
        QPainter p(&svg);
        diagram.Paint(p);
    } else if (suffix == QLatin1String("png")) {
        QImage image(diagram.Size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            diagram.Paint(p);
        }
        if (!image.save(&file, "PNG")) {
            file.cancelWriting();
            *error = "Не удалось записать файл " + path;
            return false;
        }
    } else {
        file.cancelWriting();
        *error = "Диаграмма пишется в файл .svg или .png: " + path;
        return false;
    }
    if (!file.commit()) {
        *error = "Не удалось записать файл " + path + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace tralcon
