#pragma once
// What the main window needs from outside itself: dialogs and message boxes,
// the project file, the flash compiler, the scheme window and the places of
// its files. Tests replace each with a fake; the program uses the real ones.

#include "flash/FlashImage.h"
#include "model/NVTTypes.h"
#include "persistence/ProjExp.h"
#include "scheme/SchemeDocument.h"

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

// What the main window tells the scheme window, and the scheme it keeps for
// the project file. This base keeps the scheme's rows in step with the
// project's signal rows and shows nothing; the scheme window builds on it.
class TSchemeLink {
  public:
    virtual ~TSchemeLink() = default;

    // The project on show (the rows of its signals are the scheme's rows).
    virtual void SetProject(const TProject* project) { FProject = project; }
    TSchemeDocument& Scheme() { return *FScheme; }
    // The scheme read with a project file.
    virtual void SetScheme(std::unique_ptr<TSchemeDocument> scheme);

    // Everything goes, rows included (a new project).
    virtual void ClearScheme();
    // A new direction's rows, from its first row on (called after adding).
    virtual void SchemeTrendsAdded(int row);
    // The rows of the direction holding row (called before deleting it).
    virtual void SchemeTrendsRemoved(int row);
    // The rows of every call direction (called before removing them).
    virtual void SchemeRemoveCallGroups();
    virtual void SchemeSelectTrend(int row) { (void)row; }
    virtual void ShowPhaseOnScheme(const TPhase* phase) { (void)phase; }
    virtual void ShowScheme() {}

  protected:
    const TProject* FProject = nullptr;
    std::unique_ptr<TSchemeDocument> FScheme = std::make_unique<TSchemeDocument>();
};

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

    // The running program's folder, files and arguments.
    static TMainFormEnv FromProcess(const std::vector<std::string>& args);
};

} // namespace tralcon
