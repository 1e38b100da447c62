// The export menu: every controller's flash image to files, one image into a
// controller through the programmer library, or a controller's flash read
// back and compared with the project.

#include "mainwindow/Main.h"

#include "diagram/TimingDiagram.h"
#include "flash/ImageCompare.h"
#include "flash/ImageFiles.h"
#include "flash/ProgrammerLibrary.h"
#include "flash/SignalCheck.h"
#include "mainwindow/CheckForm.h"
#include "mainwindow/CyclesPage.h"
#include "mainwindow/DiagramView.h"
#include "mainwindow/PhasesPage.h"
#include "model/Errors.h"
#include "model/Project.h"
#include "sumo/SumoExport.h"
#include "viewer/ChmViewer.h"

#include <QAction>
#include <QFileInfo>

namespace tralcon {

namespace {

const TFileDialogSpec& SaveDialog() {
    static const TFileDialogSpec spec{QStringLiteral("Сохранение прошивок в файлы"),
                                      QStringLiteral("Прошивки флэш НВТ-3 (*.k0)"),
                                      QStringLiteral("k0"), true};
    return spec;
}

} // namespace

void TMainForm::actExportExecute() {
    if (!actExport->isEnabled())
        return;
    ShowPopup(PopupControllers, actExport);
}

void TMainForm::SaveImageFilesCmd() {
    const std::optional<QString> name = FDialogs->SaveFileName(this, SaveDialog(), FExportFileName);
    if (!name)
        return;
    FExportFileName = *name;
    repaint();
    // What is written is exactly what was checked.
    const std::vector<TBytes> images = BuildImages();
    if (!CheckBeforeSending(images, QStringLiteral("записать прошивки в файлы")))
        return;
    for (const TImageFileReport& r : SaveImageFiles(name->toStdString(), images))
        if (!r.Message.empty())
            FDialogs->ShowMessage(this, QStringLiteral("Ошибка записи"),
                                  QString::fromStdString(r.Message), QMessageBox::Critical);
}

void TMainForm::ProgramController(const TController* controller) {
    const int index = FProject->ControllerList().IndexOf(controller);
    if (index < 0)
        return;
    // Each call starts from the library's initial state (a fresh window and
    // protocol), though the library stays loaded once it has run; without
    // the library or its entry nothing happens. The images are built and
    // checked only once the library is there; the one sent is the one
    // checked. The result code is not used: the library's window has told
    // the user.
    const TProgrammerLibrary library(FindProgrammerLibrary(FEnv.ProgramDir));
    if (!library.Loaded())
        return;
    const std::vector<TBytes> images = BuildImages();
    if (!CheckBeforeSending(images, QStringLiteral("программировать контроллер")))
        return;
    library.ExportData(images[static_cast<std::size_t>(index)]);
}

std::vector<TBytes> TMainForm::BuildImages() const {
    std::vector<TBytes> images;
    for (int i = 0; i < FProject->ControllerList().Count(); ++i)
        images.push_back(FEnv.BuildImage(*FProject, i));
    return images;
}

TCheckForm* TMainForm::ShowCheckForm(const std::vector<TFinding>& findings) {
    if (FCheckForm == nullptr) {
        FCheckForm = new TCheckForm(this);
        connect(FCheckForm, &TCheckForm::RecheckRequested, this, &TMainForm::RunCheck);
        connect(FCheckForm, &TCheckForm::FindingChosen, this, [this](int phase, int row) {
            if (phase < 0 && row < 0)
                return;
            ActivatePage(pgPhases);
            FPhasesPage->SelectCell(phase, row);
        });
    }
    FCheckForm->ShowFindings(findings);
    FCheckForm->show();
    FCheckForm->raise();
    return FCheckForm;
}

void TMainForm::ShowDiagram() {
    const int row = FCyclesPage->SelectedCycleRow();
    const TCycle* cycle = row >= 5 ? FProject->CycleAt(row - 5) : nullptr;
    if (cycle == nullptr)
        return;
    if (FDiagramView == nullptr)
        FDiagramView = new TDiagramView(
            this, [this]() -> const TProject* { return FProject.get(); }, *FDialogs);
    FDiagramView->ShowCycle(cycle);
    FDiagramView->show();
    FDiagramView->raise();
}

void TMainForm::SaveSumoCmd() {
    static const TFileDialogSpec spec{QStringLiteral("Экспорт в SUMO"),
                                      QStringLiteral("Сеть SUMO (*.net.xml)"),
                                      QStringLiteral("net.xml"), true};
    const std::optional<QString> chosen = FDialogs->SaveFileName(this, spec, FSumoFileName);
    if (!chosen)
        return;
    FSumoFileName = *chosen;
    // NAME.net.xml and NAME.add.xml share the name.
    QString name = *chosen;
    for (const QString& suffix :
         {QStringLiteral(".net.xml"), QStringLiteral(".add.xml"), QStringLiteral(".xml")})
        if (name.endsWith(suffix, Qt::CaseInsensitive)) {
            name.chop(suffix.size());
            break;
        }
    ExportSumo(*FProject, name.toStdString());
}

void TMainForm::RunCheck() {
    std::vector<TFinding> findings;
    try {
        findings = CheckSignalProgram(*FProject, BuildImages(), FConfig->Check);
    } catch (const std::exception& e) {
        findings = {{TFindingLevel::Error, e.what(), -1, -1}};
    }
    ShowCheckForm(findings);
}

bool TMainForm::CheckBeforeSending(const std::vector<TBytes>& images, const QString& what) {
    const std::vector<TFinding> findings = CheckSignalProgram(*FProject, images, FConfig->Check);
    if (!HasErrors(findings))
        return true;
    ShowCheckForm(findings);
    return FDialogs->ConfirmDespiteErrors(
        this, QStringLiteral("Проверка программы: %1. Сигналы с ошибками могут выйти на улицу.\n\n"
                             "Всё равно %2?")
                  .arg(FindingsSummary(findings), what));
}

void TMainForm::CompareController(const TController* controller) {
    const int index = FProject->ControllerList().IndexOf(controller);
    if (index < 0)
        return;
    const TProgrammerLibrary library(FindProgrammerLibrary(FEnv.ProgramDir));
    if (!library.Loaded() || !library.HasImportData())
        return;
    // The library's window reads the whole flash; anything but "done" (the
    // window closed before reading, no answer) it has already told the user.
    TBytes flash(kMaxProgrammedImageSize, 0xFF);
    if (library.ImportData(flash.data(), std::int32_t(flash.size())) != 0)
        return;
    const TComparison result = CompareWithProject(flash, FEnv.BuildImage(*FProject, index));
    const QMessageBox::Icon icon =
        result.Outcome == TCompareOutcome::Equal       ? QMessageBox::Information
        : result.Outcome == TCompareOutcome::Different ? QMessageBox::Warning
                                                       : QMessageBox::Critical;
    FDialogs->ShowMessage(this, QStringLiteral("Сравнение с контроллером"),
                          QString::fromStdString(ComparisonReport(result)), icon);
}

// The passport: built into the chosen file and opened in the viewer.
void TMainForm::actPrintExecute() {
    static const TFileDialogSpec spec{QStringLiteral("Сохранение отчета"),
                                      QStringLiteral("Файлы HtmlHelp (*.chm)"),
                                      QStringLiteral("chm"), true};
    const QString before = FReportFileName;
    const QString preset = QString::fromStdString(FProject->ProjectName()) + QStringLiteral(".chm");
    if (FReportFileName.trimmed().isEmpty())
        FReportFileName = preset;
    const std::optional<QString> chosen = FDialogs->SaveFileName(this, spec, FReportFileName);
    if (!chosen) {
        if (FReportFileName == preset)
            FReportFileName = before;
        return;
    }
    FReportFileName = *chosen;
    repaint();
    TPassportOptions options;
    options.TemplateDir = PassportTemplateDir(FEnv.ProgramDir);
    TPassportPictures pictures;
    if (FEnv.PassportPictures) {
        pictures = FEnv.PassportPictures(*FProject, FScheme->Scheme());
    } else {
        pictures.Scheme = [this] { return FScheme->SchemeImage(); };
        pictures.Phase = [this](int i) { return FScheme->PhaseImage(i); };
        pictures.Cycle = [this](int i) { return TimingDiagramPng(*FProject, i); };
    }
    // A failed build names its reason; an old passport at the path is not
    // shown as if it were the new one.
    QString failure;
    try {
        BuildPassport(*FProject, chosen->toStdString(), pictures, options);
    } catch (const EUserError& e) {
        failure = QString::fromUtf8(e.what());
    }
    QString error;
    if (failure.isEmpty() && QFileInfo(*chosen).isFile()) {
        const bool shown = FEnv.ShowPassport
                               ? FEnv.ShowPassport(this, *chosen, &error)
                               : ShowChm(this, *chosen, QStringLiteral("index.htm"), &error);
        if (!shown)
            FDialogs->ShowMessage(this, QStringLiteral("Ошибка"), error, QMessageBox::Critical);
    } else {
        FDialogs->ShowMessage(
            this, QStringLiteral("Ошибка"),
            QString::fromUtf8(kPassportNotCreated) +
                (failure.isEmpty() ? QString() : QStringLiteral("\n\n") + failure),
            QMessageBox::Critical);
    }
    repaint();
}

} // namespace tralcon
