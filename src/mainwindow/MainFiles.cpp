// The file commands of the main window: new, open, recent files, save, save
// as, the command-line project and closing.

#include "mainwindow/Main.h"

#include "model/Project.h"
#include "persistence/Config.h"
#include "widgets/vxEdit.h"

#include <QCloseEvent>
#include <QMenu>

namespace tralcon {

namespace {

const TFileDialogSpec& OpenProjectDialog() {
    static const TFileDialogSpec spec{QStringLiteral("Открытие проекта"),
                                      QStringLiteral("Проекты НВТ-3 (*.NVT)"),
                                      QStringLiteral("NVT"), false};
    return spec;
}

const TFileDialogSpec& SaveProjectDialog() {
    static const TFileDialogSpec spec{QStringLiteral("Сохранение проекта"),
                                      QStringLiteral("Проекты НВТ-3 (*.NVT)"),
                                      QStringLiteral("NVT"), true};
    return spec;
}

// The project name as a file name: without surrounding blanks, and without
// the one character a Linux file name cannot hold.
QString NameAsFileName(const std::string& projectName) {
    QString name = QString::fromStdString(projectName).trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return name;
}

QString MenuCaption(QString path) {
    return path.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void TMainForm::actOpenExecute() {
    ShowPopup(PopupOpen, actOpen);
}

bool TMainForm::ConfirmDiscard() {
    if (!FModified || !FProject)
        return true;
    switch (FDialogs->AskSaveChanges(this, QString::fromStdString(FProject->ProjectName()))) {
    case TMainDialogs::TSaveChoice::Save:
        return SaveProjectCmd();
    case TMainDialogs::TSaveChoice::Discard:
        return true;
    case TMainDialogs::TSaveChoice::Cancel:
        break;
    }
    return false;
}

void TMainForm::OpenDialogCmd() {
    if (!ConfirmDiscard())
        return;
    const std::optional<QString> name =
        FDialogs->OpenFileName(this, OpenProjectDialog(), FOpenFileName);
    if (!name)
        return;
    repaint();
    OpenProject(*name);
}

void TMainForm::SwapInProject(TLoadedProject loaded) {
    if (!loaded.Project)
        return;
    CloseInplaceEditor();
    FScheme->SetProject(loaded.Project.get());
    FProject = std::move(loaded.Project);
    FScheme->SetScheme(std::move(loaded.Scheme));
}

bool TMainForm::OpenProject(const QString& path) {
    // The reader checks the whole file into a project of its own; the one on
    // show is replaced only when that succeeded.
    TLoadedProject loaded;
    if (!Guard([&] { loaded = FFiles->Load(path.toStdString(), *FConfig); }) || !loaded.Project)
        return false;
    SwapInProject(std::move(loaded));
    FOpenFileName = path;
    FSaveFileName = path;
    FReportFileName.clear();
    FArgInCaption = false;
    ResetEditors();
    AddRecentFile(path);
    UpdateCaption();
    SetModified(false);
    return true;
}

void TMainForm::OpenCommandLineProject() {
    if (!FEnv.Args.empty()) {
        const QString path = QString::fromStdString(FEnv.Args.front());
        SwapInProject(FFiles->Load(FEnv.Args.front(), *FConfig));
        FOpenFileName = path;
        FSaveFileName = path;
        ResetEditors();
        UpdateCaption();
        SetModified(false);
    }
    FReportFileName.clear();
}

void TMainForm::AddRecentFile(const std::optional<QString>& path) {
    if (PopupOpen->actions().isEmpty()) {
        QAction* open = PopupOpen->addAction(QStringLiteral("Открыть…"));
        connect(open, &QAction::triggered, this, [this] { Guard([this] { OpenDialogCmd(); }); });
    }
    if (!path)
        return;
    if (PopupOpen->actions().size() < 2)
        PopupOpen->addSeparator();
    QList<QAction*> entries = PopupOpen->actions();
    for (qsizetype i = entries.size() - 1; i >= 2; --i) {
        if (entries[i]->data().toString() == *path) { // exact, letter case counts
            PopupOpen->removeAction(entries[i]);
            delete entries[i];
        }
    }
    entries = PopupOpen->actions();
    if (entries.size() >= 7) {
        PopupOpen->removeAction(entries.last());
        delete entries.last();
        entries = PopupOpen->actions();
    }
    auto* entry = new QAction(MenuCaption(*path), PopupOpen);
    entry->setData(*path);
    const QString target = *path;
    connect(entry, &QAction::triggered, this, [this, target] { OpenRecentCmd(target); });
    PopupOpen->insertAction(entries.size() > 2 ? entries[2] : nullptr, entry);
}

void TMainForm::OpenRecentCmd(const QString& path) {
    if (ConfirmDiscard())
        OpenProject(path);
}

QStringList TMainForm::RecentFiles() const {
    QStringList paths;
    const QList<QAction*> entries = PopupOpen->actions();
    for (qsizetype i = 2; i < entries.size(); ++i)
        paths << entries[i]->data().toString();
    return paths;
}

void TMainForm::SaveRecentFiles() {
    const QStringList paths = RecentFiles();
    if (paths.isEmpty() || FEnv.SettingsPath.empty())
        return;
    std::vector<std::string> newestFirst;
    for (const QString& p : paths)
        newestFirst.push_back(p.toStdString());
    std::string error;
    // The settings file lies beside the program only where that can be
    // written, so this never writes to a read-only program folder.
    ::tralcon::SaveRecentFiles(FEnv.SettingsPath, newestFirst, &error);
}

bool TMainForm::SaveProjectCmd() {
    if (!FProject)
        return false;
    if (FSaveFileName.isEmpty())
        return SaveProjectAsCmd();
    if (!Guard([this] { FFiles->Save(FSaveFileName.toStdString(), *FProject, FScheme->Scheme()); }))
        return false;
    SetModified(false);
    return true;
}

bool TMainForm::SaveProjectAsCmd() {
    if (!FProject)
        return false;
    const QString previous = FSaveFileName;
    const bool preset = FSaveFileName.isEmpty();
    if (preset)
        FSaveFileName = NameAsFileName(FProject->ProjectName());
    const std::optional<QString> name =
        FDialogs->SaveFileName(this, SaveProjectDialog(), FSaveFileName);
    if (!name) {
        if (preset)
            FSaveFileName.clear();
        return false;
    }
    // A failed write leaves the project's file name where it was, so the
    // next Save does not go silently to a file that was never written.
    if (!Guard([&] { FFiles->Save(name->toStdString(), *FProject, FScheme->Scheme()); })) {
        FSaveFileName = preset ? QString() : previous;
        return false;
    }
    FSaveFileName = *name;
    FOpenFileName = *name;
    UpdateCaption();
    SetModified(false);
    AddRecentFile(*name);
    return true;
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (FStartupFailed || !FProject || !FModified) {
        e->accept();
        return;
    }
    // Closing asks; a cancelled or failed save keeps the window and the work.
    if (ConfirmDiscard())
        e->accept();
    else
        e->ignore();
}

} // namespace tralcon
