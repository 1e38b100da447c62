#include "mainwindow/MainServices.h"

#include "flash/Flash.h"
#include "model/Errors.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "platform/AppPaths.h"
#include "platform/FileAssoc.h"
#include "viewer/ChmViewer.h"

#include "mainwindow/Help.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace tralcon {

void TMainDialogs::ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                               QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void TMainDialogs::ShowException(QWidget* parent, const QString& text) {
    QString title = qApp->property("applicationTitle").toString();
    if (title.isEmpty())
        title = QApplication::applicationName();
    ShowMessage(parent, title, text, QMessageBox::Critical);
}

TMainDialogs::TSaveChoice TMainDialogs::AskSaveChanges(QWidget* parent,
                                                       const QString& projectName) {
    QMessageBox box(QMessageBox::Warning, qApp->property("applicationTitle").toString(),
                    QStringLiteral("Проект «%1» изменен. Сохранить изменения?").arg(projectName),
                    QMessageBox::NoButton, parent);
    QPushButton* save = box.addButton(QStringLiteral("Сохранить"), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(QStringLiteral("Не сохранять"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return TSaveChoice::Save;
    if (box.clickedButton() == discard)
        return TSaveChoice::Discard;
    return TSaveChoice::Cancel;
}

bool TMainDialogs::ConfirmDespiteErrors(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, qApp->property("applicationTitle").toString(), text,
                    QMessageBox::NoButton, parent);
    QPushButton* go = box.addButton(QStringLiteral("Продолжить"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == go;
}

namespace {

std::optional<QString> RunFileDialog(QWidget* parent, const TFileDialogSpec& spec,
                                     const QString& current, bool save) {
    QFileDialog dlg(parent, spec.Title);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setNameFilter(spec.Filter);
    dlg.setDefaultSuffix(spec.DefaultSuffix);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !spec.ConfirmOverwrite);
    dlg.setOption(QFileDialog::ReadOnly, false);
    if (!current.isEmpty())
        dlg.selectFile(current);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> TMainDialogs::OpenFileName(QWidget* parent, const TFileDialogSpec& spec,
                                                  const QString& current) {
    return RunFileDialog(parent, spec, current, false);
}

std::optional<QString> TMainDialogs::SaveFileName(QWidget* parent, const TFileDialogSpec& spec,
                                                  const QString& current) {
    return RunFileDialog(parent, spec, current, true);
}

namespace {

class TProjectFileIO : public TProjectFiles {
  public:
    TLoadedProject Load(const std::string& path, const TConfiguration& config) override {
        return LoadProject(path, config);
    }
    void Save(const std::string& path, const TProject& project,
              const TSchemeDocument& scheme) override {
        SaveProject(path, project, scheme);
    }
};

} // namespace

std::unique_ptr<TProjectFiles> MakeProjectFiles() {
    return std::make_unique<TProjectFileIO>();
}

TFlashBuilder MakeFlashBuilder() {
    return [](const TProject& project, int controller) {
        return BuildFlashImage(project, controller, project.ProjectOptions());
    };
}

TMainFormEnv TMainFormEnv::FromProcess(const std::vector<std::string>& args) {
    TMainFormEnv env;
    env.ProgramDir = ::tralcon::ProgramDir();
    env.ConfigPath = DefaultConfigurationPath(env.ProgramDir);
    env.SettingsPath = SettingsFilePath(env.ProgramDir);
    env.HelpPath = FindProgramData(env.ProgramDir, kHelpFileName);
    env.Args = args;
    // An installed program has its desktop entry and file type in the system
    // folders; a copy of them in the user's folder would outlive the package.
    if (!IsInstalledProgram(env.ProgramDir))
        env.RegisterFileType = [] { ::tralcon::RegisterFileType(ProgramPath(), UserDataDir()); };
    // The program's own viewer of compiled help, at the topic asked for.
    env.ShowHelp = [](const QString& chmPath, const QString& topic) {
        QWidget* owner = QApplication::activeWindow();
        QString error;
        if (!ShowChm(owner, chmPath, topic, &error))
            QMessageBox::critical(owner, QStringLiteral("Справка"), error);
    };
    return env;
}

} // namespace tralcon
