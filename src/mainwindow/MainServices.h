#pragma once
// What the main window needs from outside itself: dialogs and message boxes,
// the project file, the flash compiler, the scheme window and the places of
// its files. Tests replace each with a fake; the program uses the real ones.

#include "flash/FlashImage.h"
#include "model/NVTTypes.h"
#include "passport/PassportBuilder.h"
#include "persistence/ProjExp.h"
#include "scheme/SchemeDocument.h"
#include "schemewindow/SchemeLink.h"

#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace tralcon {

class TProject;
class TPhase;

struct TFileDialogSpec {
    QString Title;
    QString Filter;        // "Проекты НВТ-3 (*.NVT)"
    QString DefaultSuffix; // without the dot
    bool ConfirmOverwrite = false;
};

class TMainDialogs {
  public:
    enum class TSaveChoice { Save, Discard, Cancel };

    virtual ~TMainDialogs() = default;
    virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                             QMessageBox::Icon icon);
    // The application's standard error box: the application title as
    // caption, the error icon.
    virtual void ShowException(QWidget* parent, const QString& text);
    virtual TSaveChoice AskSaveChanges(QWidget* parent, const QString& projectName);
    // The signal program check found errors: go on all the same? Cancel is
    // the default answer.
    virtual bool ConfirmDespiteErrors(QWidget* parent, const QString& text);
    // The chosen file, or none when the dialog was cancelled.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const TFileDialogSpec& spec,
                                                const QString& current);
    virtual std::optional<QString> SaveFileName(QWidget* parent, const TFileDialogSpec& spec,
                                                const QString& current);
};

// Reading and writing project files.
class TProjectFiles {
  public:
    virtual ~TProjectFiles() = default;
    // The whole project and its scheme, or an exception with the message for
    // the engineer; nothing half read is ever returned.
    virtual TLoadedProject Load(const std::string& path, const TConfiguration& config) = 0;
    // Writes the project; an exception when it could not be written, the
    // previous file then stays as it was.
    virtual void Save(const std::string& path, const TProject& project,
                      const TSchemeDocument& scheme) = 0;
};

// The project file of the persistence layer.
std::unique_ptr<TProjectFiles> MakeProjectFiles();

// Compiles one controller's flash image (by its position in the project).
using TFlashBuilder = std::function<TBytes(const TProject& project, int controller)>;
TFlashBuilder MakeFlashBuilder();

// The program's surroundings, fixed at start-up.
struct TMainFormEnv {
    std::string ProgramDir;        // where libSerlink.so and the help file lie
    std::string ConfigPath;        // "NVT-3.cfg"
    std::string SettingsPath;      // "NVT-3.ini"
    std::string HelpPath;          // "NVT-3.chm"; empty: beside the program
    std::vector<std::string> Args; // the command line without the program
    // Shows a topic of the help file (the file, the topic's page in it);
    // none: help does nothing.
    std::function<void(const QString& chmPath, const QString& topic)> ShowHelp;
    std::function<void()> RegisterFileType;
    // Not owned; none means the real ones (or, for the scheme, nothing).
    TMainDialogs* Dialogs = nullptr;
    TProjectFiles* Files = nullptr;
    TSchemeLink* Scheme = nullptr;
    TFlashBuilder BuildImage;
    // The passport's pictures of the project and its scheme (none while
    // empty), and what opens a built passport (none: the passport viewer).
    std::function<TPassportPictures(const TProject&, TSchemeDocument&)> PassportPictures;
    std::function<bool(QWidget* parent, const QString& chmPath, QString* error)> ShowPassport;

    // The running program's folder, files and arguments.
    static TMainFormEnv FromProcess(const std::vector<std::string>& args);
};

} // namespace tralcon
