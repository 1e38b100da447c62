// Saves a picture of the main window on each page, for looking at by eye:
//   gui_screenshots OUTPUT_DIR [PROJECT.NVT]
// Not a test; run it offscreen or under Xvfb.

#include "app/Application.h"
#include "mainwindow/About.h"
#include "mainwindow/ActionImages.h"
#include "mainwindow/CheckForm.h"
#include "mainwindow/ControllersPage.h"
#include "mainwindow/CyclesPage.h"
#include "mainwindow/DayPlansPage.h"
#include "mainwindow/DiagramView.h"
#include "mainwindow/Main.h"
#include "mainwindow/PhasesPage.h"
#include "mainwindow/TrendsPage.h"
#include "mainwindow/WeekPlansPage.h"
#include "schemewindow/SchemeForm.h"
#include "widgets/DrawTree.h"
#include "widgets/MenuStyle.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace tralcon;

namespace {

// The pictures of an image list in rows of eight, each at its own size over
// a copy four times as large, to judge them pixel by pixel.
QImage ImageSheet(QPixmap (*image)(int), int count, QSize size) {
    const int zoom = 4, gap = 4, perRow = 8;
    const QSize cell(size.width() * zoom + gap, size.height() * (zoom + 1) + gap * 2);
    const int rows = (count + perRow - 1) / perRow;
    QImage sheet(perRow * cell.width(), rows * cell.height(), QImage::Format_RGB32);
    sheet.fill(QColor(239, 238, 224));
    QPainter p(&sheet);
    for (int i = 0; i < count; ++i) {
        const QPixmap pm = image(i);
        const QPoint at((i % perRow) * cell.width(), (i / perRow) * cell.height());
        p.drawPixmap(at, pm);
        p.drawPixmap(QRect(at + QPoint(0, size.height() + gap), size * zoom), pm);
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TApplication::InstallQtTranslation(app);
    const QStringList args = QCoreApplication::arguments();
    const QString out = args.size() > 1 ? args[1] : QStringLiteral("/tmp");
    TMainFormEnv env;
    env.ProgramDir = TRALCON_BIN_DIR;
    env.ConfigPath = std::string(TRALCON_SOURCE_DIR) + "/data/NVT-3.cfg";
    env.SettingsPath = (QDir::tempPath() + QStringLiteral("/tralcon-shots.ini")).toStdString();
    TMainForm form(env);
    if (form.StartupFailed())
        return 1;
    form.About = new TAbout(&form);
    if (args.size() > 2 && !form.OpenProject(args[2]))
        return 1;
    form.show();
    form.activateWindow();
    QApplication::processEvents();
    form.ControllersPage()->vtControllers->expandAll();
    form.DayPlansPage()->vtDayPlans->expandAll();
    form.WeekPlansPage()->vtWeekPlans->expandAll();
    for (int page = 0; page < kPageCount; ++page) {
        form.ActivatePage(page);
        QApplication::processEvents();
        form.grab().save(QStringLiteral("%1/tralcon-page%2.png").arg(out).arg(page));
        // On a real display, also what the screen shows (window manager aside).
        if (QGuiApplication::platformName() == QLatin1String("xcb") && form.screen() != nullptr)
            form.screen()
                ->grabWindow(form.winId())
                .save(QStringLiteral("%1/tralcon-screen%2.png").arg(out).arg(page));
    }
    form.ActivatePage(pgControllers);
    form.resize(420, 300);
    form.ActivatePage(pgTrends);
    QApplication::processEvents();
    form.grab().save(QStringLiteral("%1/tralcon-small.png").arg(out));
    form.resize(640, 479);
    form.ActivatePage(pgControllers);
    QApplication::processEvents();

    // The context menu and the export menu, drawn by the menu look.
    form.PopupMenu1->popup(form.mapToGlobal(QPoint(100, 150)));
    QApplication::processEvents();
    form.PopupMenu1->grab().save(QStringLiteral("%1/tralcon-context.png").arg(out));
    form.PopupMenu1->close();
    form.PopupModels->popup(form.mapToGlobal(QPoint(10, 40)));
    QApplication::processEvents();
    if (!form.PopupModels->actions().isEmpty())
        form.PopupModels->setActiveAction(form.PopupModels->actions().first());
    form.PopupModels->grab().save(QStringLiteral("%1/tralcon-models.png").arg(out));
    form.PopupModels->close();
    // The image lists of the directions editor and its two menus.
    ImageSheet(&TrendImage, 29, QSize(32, 24))
        .save(QStringLiteral("%1/tralcon-iltrends.png").arg(out));
    ImageSheet(&PopupTrendImage, 8, QSize(24, 24))
        .save(QStringLiteral("%1/tralcon-ilpopuptrends.png").arg(out));
    form.ActivatePage(pgTrends);
    form.TrendsPage()->PopupAddTrends->popup(form.mapToGlobal(QPoint(10, 40)));
    QApplication::processEvents();
    form.TrendsPage()->PopupAddTrends->grab().save(
        QStringLiteral("%1/tralcon-addtrends.png").arg(out));
    form.TrendsPage()->PopupAddTrends->close();
    form.TrendsPage()->PopupOutputs->popup(form.mapToGlobal(QPoint(10, 40)));
    QApplication::processEvents();
    if (form.TrendsPage()->PopupOutputs->actions().size() > 2) {
        QAction* first = form.TrendsPage()->PopupOutputs->actions().at(2);
        form.TrendsPage()->PopupOutputs->setActiveAction(first);
        if (first->menu() != nullptr) {
            first->menu()->popup(form.mapToGlobal(QPoint(200, 40)));
            QApplication::processEvents();
            first->menu()->grab().save(QStringLiteral("%1/tralcon-outputs-sub.png").arg(out));
            first->menu()->close();
        }
    }
    form.TrendsPage()->PopupOutputs->grab().save(QStringLiteral("%1/tralcon-outputs.png").arg(out));
    form.TrendsPage()->PopupOutputs->close();
    // Menus under the buttons that opened them, and the open dialog, as the
    // whole screen shows them.
    auto screenShot = [&](const QString& name) {
        QApplication::processEvents();
        QTest::qWait(100);
        if (QGuiApplication::platformName() == QLatin1String("xcb") && form.screen() != nullptr)
            form.screen()->grabWindow(0).save(QStringLiteral("%1/%2.png").arg(out, name));
    };
    form.ActivatePage(pgTrends);
    form.actPlus->trigger();
    screenShot(QStringLiteral("tralcon-plus-menu"));
    form.TrendsPage()->PopupAddTrends->close();
    form.actNew->trigger();
    screenShot(QStringLiteral("tralcon-new-menu"));
    form.PopupModels->close();
    QFileDialog open(&form, QStringLiteral("Открытие проекта"));
    open.setOption(QFileDialog::DontUseNativeDialog);
    open.setNameFilter(QStringLiteral("Проекты НВТ-3 (*.NVT)"));
    open.setDirectory(QStringLiteral(TRALCON_SOURCE_DIR "/data/examples"));
    open.show();
    screenShot(QStringLiteral("tralcon-open-dialog"));
    open.grab().save(QStringLiteral("%1/tralcon-open-dialog-window.png").arg(out));
    open.close();

    // The timing diagram of the first cycle, and the check's findings.
    form.ActivatePage(pgCycles);
    form.CyclesPage()->CellClick(2, 5); // a transition column: the row only
    form.actDiagram->trigger();
    if (form.DiagramView() != nullptr) {
        screenShot(QStringLiteral("tralcon-diagram-screen"));
        form.DiagramView()->grab().save(QStringLiteral("%1/tralcon-diagram.png").arg(out));
        form.DiagramView()->hide();
    }
    form.actCheck->trigger();
    if (form.CheckForm() != nullptr) {
        QApplication::processEvents();
        form.CheckForm()->grab().save(QStringLiteral("%1/tralcon-check.png").arg(out));
        form.CheckForm()->hide();
    }

    // The scheme window: as opened, with a trajectory clicked, enlarged, and
    // with the first phase on show.
    if (TSchemeForm* scheme = form.SchemeForm()) {
        form.actScheme->trigger();
        QApplication::processEvents();
        scheme->grab().save(QStringLiteral("%1/tralcon-scheme.png").arg(out));
        if (scheme->CRScheme->Scheme()->Count() > 0) {
            const TRect b = scheme->CRScheme->Scheme()->Items(0)->GetBounds();
            const auto* arrow = dynamic_cast<const TvxArrow*>(scheme->CRScheme->Scheme()->Items(0));
            QPoint at((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
            if (arrow != nullptr)
                at = QPoint(arrow->Points().Items(0)->X(), arrow->Points().Items(0)->Y());
            QTest::mouseClick(scheme->CRScheme, Qt::LeftButton, {}, at);
            QApplication::processEvents();
            scheme->grab().save(QStringLiteral("%1/tralcon-scheme-selected.png").arg(out));
        }
        scheme->SetZoom(3);
        QApplication::processEvents();
        scheme->grab().save(QStringLiteral("%1/tralcon-scheme-zoom.png").arg(out));
        scheme->SetZoom(1);
        scheme->ShowPhaseOnScheme(form.Project().PhaseAt(0));
        QApplication::processEvents();
        scheme->grab().save(QStringLiteral("%1/tralcon-scheme-phase.png").arg(out));
        screenShot(QStringLiteral("tralcon-scheme-screen"));
        scheme->hide();
    }

    form.ActivatePage(pgControllers);
    form.About->show();
    QApplication::processEvents();
    form.About->grab().save(QStringLiteral("%1/tralcon-about.png").arg(out));
    form.About->hide();
    form.SetModified(false);
    return 0;
}
