#pragma once
// Fakes for the main window's dialogs and project files, and a window set up
// in a temporary folder of its own.

#include "TestUtil.h"
#include "mainwindow/CollisionsPage.h"
#include "mainwindow/ControllersPage.h"
#include "mainwindow/CyclesPage.h"
#include "mainwindow/DayPlansPage.h"
#include "mainwindow/Main.h"
#include "mainwindow/PhasesPage.h"
#include "mainwindow/TrendsPage.h"
#include "mainwindow/WeekPlansPage.h"
#include "mainwindow/YearPlanPage.h"
#include "model/Errors.h"
#include "model/Project.h"
#include "platform/Cp1251.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

#include <deque>
#include <map>
#include <memory>

namespace tralcon::test {

class TFakeDialogs : public TMainDialogs {
  public:
    struct Message {
        QString Caption;
        QString Text;
        QMessageBox::Icon Icon;
    };
    QList<Message> Messages;
    QStringList Exceptions;
    std::deque<std::optional<QString>> OpenAnswers;
    std::deque<std::optional<QString>> SaveAnswers;
    QList<TFileDialogSpec> SaveSpecs;
    QStringList SaveOffered; // the file name each save dialog showed
    std::deque<TSaveChoice> CloseAnswers;
    int CloseQuestions = 0;

    void ShowMessage(QWidget*, const QString& caption, const QString& text,
                     QMessageBox::Icon icon) override {
        Messages.push_back({caption, text, icon});
    }
    void ShowException(QWidget*, const QString& text) override { Exceptions << text; }
    TSaveChoice AskSaveChanges(QWidget*, const QString&) override {
        ++CloseQuestions;
        if (CloseAnswers.empty())
            return TSaveChoice::Cancel;
        const TSaveChoice c = CloseAnswers.front();
        CloseAnswers.pop_front();
        return c;
    }
    // Export and programming go on despite check errors unless told not to.
    std::deque<bool> ConfirmAnswers;
    QStringList ConfirmQuestions;
    bool ConfirmDespiteErrors(QWidget*, const QString& text) override {
        ConfirmQuestions << text;
        if (ConfirmAnswers.empty())
            return true;
        const bool a = ConfirmAnswers.front();
        ConfirmAnswers.pop_front();
        return a;
    }
    std::optional<QString> OpenFileName(QWidget*, const TFileDialogSpec&, const QString&) override {
        return Take(OpenAnswers);
    }
    std::optional<QString> SaveFileName(QWidget*, const TFileDialogSpec& spec,
                                        const QString& current) override {
        SaveSpecs << spec;
        SaveOffered << current;
        return Take(SaveAnswers);
    }

  private:
    // The next answer; none (cancelled) once they run out. The name is
    // copied out of the answer only when it holds one: copying the optional
    // itself makes an optimising GCC 12 warn falsely about an uninitialised
    // string.
    static std::optional<QString> Take(std::deque<std::optional<QString>>& answers) {
        if (answers.empty() || !answers.front().has_value()) {
            if (!answers.empty())
                answers.pop_front();
            return std::nullopt;
        }
        QString name = *answers.front();
        answers.pop_front();
        return name;
    }
};

// Keeps what the window saves in memory: enough of a project to see that
// the window hands the right one over and shows what comes back.
class TFakeFiles : public TProjectFiles {
  public:
    struct Snapshot {
        std::string Name;
        std::uint8_t SystemID = 1;
        std::uint8_t Options = 0;
        std::uint8_t AllRedTime = 3;
        std::vector<std::pair<std::int32_t, std::uint8_t>> Controllers;
    };
    std::map<std::string, Snapshot> Files;
    bool FailSave = false;
    int Loads = 0;

    TLoadedProject Load(const std::string& path, const TConfiguration& config) override {
        ++Loads;
        auto it = Files.find(path);
        if (it == Files.end())
            throw EUserError(Format("Файл %s поврежден или имеет неправильный формат", path));
        auto p = std::make_unique<TProject>(config);
        p->SetProjectName(it->second.Name);
        p->SetSystemID(it->second.SystemID);
        p->SetProjectOptions(it->second.Options);
        p->SetAllRedTime(it->second.AllRedTime);
        for (auto [id, flags] : it->second.Controllers)
            p->CreateController(id, flags);
        TLoadedProject out;
        out.Scheme = std::make_unique<TSchemeDocument>();
        out.Scheme->RowsInserted(0, p->TrendCount());
        out.Project = std::move(p);
        return out;
    }
    void Save(const std::string& path, const TProject& project,
              const TSchemeDocument& scheme) override {
        if (scheme.RowCount() != project.TrendCount())
            throw EModelError("Scheme rows do not match the project");
        if (FailSave)
            throw EUserError(Format("Не удалось записать файл %s", path));
        Snapshot s;
        s.Name = project.ProjectName();
        s.SystemID = project.SystemID();
        s.Options = project.ProjectOptions();
        s.AllRedTime = project.AllRedTime();
        for (const TController* c : project.ControllerList())
            s.Controllers.emplace_back(c->Model->ID, c->Flags);
        Files[path] = s;
    }
};

inline std::string BundledCatalogue() {
    return ReadBytes(std::string(TRALCON_SOURCE_DIR) + "/data/NVT-3.cfg");
}

// A window over a temporary folder that stands for the program's own.
struct TWindowFixture {
    TempDir Dir;
    TFakeDialogs Dialogs;
    TFakeFiles Files;
    std::vector<std::pair<const TProject*, int>> Built; // images asked for
    std::function<TBytes(int)> Image = [](int i) { return TBytes(100, std::uint8_t(i + 1)); };
    // What the help viewer was asked to show: the help file and the topic.
    QList<std::pair<QString, QString>> HelpShown;
    std::unique_ptr<TMainForm> Form;
    // The real project file and flash compiler instead of the fakes.
    bool RealFiles = false;
    bool RealImages = false;

    // configCp1251: the configuration file's bytes; none leaves it missing.
    explicit TWindowFixture(const std::optional<std::string>& configCp1251 = BundledCatalogue(),
                            std::vector<std::string> args = {}) {
        if (configCp1251)
            WriteBytes(Dir.File("NVT-3.cfg"), *configCp1251);
        Create(std::move(args));
    }
    TMainFormEnv Env(std::vector<std::string> args) {
        TMainFormEnv env;
        env.ProgramDir = Dir.Path();
        env.ConfigPath = Dir.File("NVT-3.cfg");
        env.SettingsPath = Dir.File("NVT-3.ini");
        env.Args = std::move(args);
        env.Dialogs = &Dialogs;
        env.Files = RealFiles ? nullptr : &Files;
        env.ShowHelp = [this](const QString& chm, const QString& topic) {
            HelpShown.append({chm, topic});
        };
        if (!RealImages)
            env.BuildImage = [this](const TProject& p, int i) {
                Built.emplace_back(&p, i);
                return Image(i);
            };
        return env;
    }
    void Create(std::vector<std::string> args = {}) {
        Form.reset();
        Form = std::make_unique<TMainForm>(Env(std::move(args)));
    }
    // Shown and active: the controllers page's add rule asks for it.
    bool ShowActive() {
        Form->show();
        QApplication::setActiveWindow(Form.get());
        return QTest::qWaitForWindowActive(Form.get());
    }
    // Closes without the question (the test is done with it).
    ~TWindowFixture() {
        if (Form)
            Form->SetModified(false);
    }
};

// The caption as the desktop shows it while nothing is unsaved.
inline QString Caption(const QWidget& w) {
    QString t = w.windowTitle();
    t.remove(QStringLiteral("[*]"));
    return t;
}

inline std::string Cp(const std::string& utf8) {
    return ToCp1251(utf8);
}

inline QAction* EntryNamed(const QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

// actPlus on the directions page, then the kind's entry of the menu it opens.
inline bool AddDirection(TMainForm& w, const QString& caption) {
    w.actPlus->trigger();
    if (!w.TrendsPage()->PopupAddTrends->isVisible())
        return false;
    QAction* a = EntryNamed(w.TrendsPage()->PopupAddTrends, caption);
    if (a == nullptr)
        return false;
    a->trigger();
    w.TrendsPage()->PopupAddTrends->close();
    return true;
}

} // namespace tralcon::test
