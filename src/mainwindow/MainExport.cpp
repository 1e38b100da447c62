// The export menu: every controller's flash image to files, or one image into
// a controller through the programmer library.

#include "mainwindow/Main.h"

#include "flash/ImageFiles.h"
#include "flash/ProgrammerLibrary.h"
#include "model/Project.h"

#include <QAction>

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
    std::vector<TBytes> images;
    for (int i = 0; i < FProject->ControllerList().Count(); ++i)
        images.push_back(FEnv.BuildImage(*FProject, i));
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
    // the library or its entry nothing happens. The
    // image is built only once the library is there. The result code is not
    // used: the library's window has told the user.
    const TProgrammerLibrary library(ProgrammerLibraryPath(FEnv.ProgramDir));
    if (library.Loaded())
        library.ExportData(FEnv.BuildImage(*FProject, index));
}

} // namespace tralcon
