#include "mainwindow/DiagramView.h"

#include "diagram/TimingDiagram.h"
#include "mainwindow/MainServices.h"
#include "model/Project.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace tralcon {

namespace {

constexpr double kMinScale = 2, kMaxScale = 40;

const TFileDialogSpec& DiagramDialog() {
    static const TFileDialogSpec spec{QStringLiteral("Сохранение временной диаграммы"),
                                      QStringLiteral("Рисунки (*.png *.svg)"),
                                      QStringLiteral("png"), true};
    return spec;
}

// Paints the diagram of the view's cycle as the project has it now.
class TDiagramCanvas : public QWidget {
  public:
    explicit TDiagramCanvas(TDiagramView* view) : QWidget(view), FView(view) {
        setObjectName(QStringLiteral("DiagramCanvas"));
    }
    std::function<const TProject*()> Project;

  protected:
    void paintEvent(QPaintEvent*) override {
        const TProject* p = Project();
        const int cycle = FView->CycleIndex();
        if (p == nullptr || cycle < 0)
            return;
        TDiagramLayout layout;
        layout.PixelsPerSecond = FView->PixelsPerSecond();
        const TTimingDiagram d(*p, cycle, layout);
        if (size() != d.Size())
            setFixedSize(d.Size());
        QPainter painter(this);
        d.Paint(painter);
    }

  private:
    TDiagramView* FView;
};

} // namespace

TDiagramView::TDiagramView(QWidget* parent, std::function<const TProject*()> project,
                           TMainDialogs& dialogs)
    : QDialog(parent), FProject(std::move(project)), FDialogs(dialogs) {
    setObjectName(QStringLiteral("DiagramView"));
    resize(900, 360);
    auto* canvas = new TDiagramCanvas(this);
    canvas->Project = FProject;
    Canvas = canvas;
    FScroll = new QScrollArea(this);
    FScroll->setWidget(Canvas);
    FScroll->setBackgroundRole(QPalette::Base);
    FScroll->viewport()->installEventFilter(this);
    auto* zoomIn = new QPushButton(QStringLiteral("Крупнее"), this);
    auto* zoomOut = new QPushButton(QStringLiteral("Мельче"), this);
    auto* save = new QPushButton(QStringLiteral("Сохранить…"), this);
    zoomIn->setObjectName(QStringLiteral("btnZoomIn"));
    zoomOut->setObjectName(QStringLiteral("btnZoomOut"));
    save->setObjectName(QStringLiteral("btnSaveDiagram"));
    zoomIn->setShortcut(QKeySequence::ZoomIn);
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    connect(zoomIn, &QPushButton::clicked, this, [this] { SetPixelsPerSecond(FScale * 1.25); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { SetPixelsPerSecond(FScale / 1.25); });
    connect(save, &QPushButton::clicked, this, [this] {
        if (const auto name = FDialogs.SaveFileName(this, DiagramDialog(), FLastFile))
            SaveAs(*name);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(zoomIn);
    buttons->addWidget(zoomOut);
    buttons->addStretch(1);
    buttons->addWidget(save);
    auto* l = new QVBoxLayout(this);
    l->addWidget(FScroll, 1);
    l->addLayout(buttons);
}

void TDiagramView::ShowCycle(const TCycle* cycle) {
    FCycle = cycle;
    ProjectChanged();
}

int TDiagramView::CycleIndex() const {
    const TProject* p = FProject();
    return p != nullptr && FCycle != nullptr ? p->CycleList().IndexOf(FCycle) : -1;
}

void TDiagramView::ProjectChanged() {
    if (CycleIndex() < 0) {
        FCycle = nullptr;
        hide();
        return;
    }
    setWindowTitle(
        QStringLiteral("Временная диаграмма: %1").arg(QString::fromStdString(FCycle->Name())));
    Relayout();
}

void TDiagramView::Relayout() {
    const TProject* p = FProject();
    if (p == nullptr || CycleIndex() < 0)
        return;
    TDiagramLayout layout;
    layout.PixelsPerSecond = FScale;
    Canvas->setFixedSize(TTimingDiagram(*p, CycleIndex(), layout).Size());
    Canvas->update();
}

void TDiagramView::SetPixelsPerSecond(double scale) {
    FScale = std::clamp(scale, kMinScale, kMaxScale);
    Relayout();
}

bool TDiagramView::SaveAs(const QString& path) {
    const TProject* p = FProject();
    if (p == nullptr || CycleIndex() < 0)
        return false;
    std::string error;
    if (!SaveTimingDiagram(*p, CycleIndex(), path.toStdString(), &error, FScale)) {
        FDialogs.ShowMessage(this, QStringLiteral("Ошибка записи"), QString::fromStdString(error),
                             QMessageBox::Critical);
        return false;
    }
    FLastFile = path;
    return true;
}

// Ctrl and the wheel zoom about the time under the mouse.
bool TDiagramView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FScroll->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            SetPixelsPerSecond(FScale * (wheel->angleDelta().y() > 0 ? 1.25 : 0.8));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tralcon
