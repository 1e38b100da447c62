#pragma once
// A page of the main window needs only a small context: this one stands
// alone over a project of its own, so a page can be built without the
// window, in tests and benchmarks.

#include "mainwindow/MainPage.h"
#include "mainwindow/MainServices.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "widgets/InplaceEditor.h"

#include <QList>
#include <QStringList>

#include <memory>

namespace tralcon::test {

class TStandalonePageContext : public TPageContext {
  public:
    explicit TStandalonePageContext(std::unique_ptr<TConfiguration> config)
        : FConfig(std::move(config)), FProject(std::make_unique<TProject>(*FConfig)) {
        FScheme.SetProject(FProject.get());
    }
    TProject& Project() override { return *FProject; }
    bool HasProject() const override { return true; }
    const TConfiguration& Config() const override { return *FConfig; }
    TSchemeLink& Scheme() override { return FScheme; }
    TInplaceEditor& Inplace() override { return FInplace; }
    TMainDialogs& Dialogs() override { return FDialogs; }
    void SetModified() override { ++Modifications; }
    void NameNextChange(const QString& text) override { ChangeNames << text; }
    bool WindowActive() const override { return Active; }
    void PopupPlusMenu(QMenu* menu) override { Popups << menu; }
    void ShowException(const std::exception& e) override { Errors << e.what(); }
    void ShowRefusal(QWidget*, const QString& text) override { Refusals << text; }
    QWidget* DialogParent() override { return nullptr; }

    bool Active = true;
    int Modifications = 0;
    QList<QMenu*> Popups;
    QStringList Errors;
    QStringList Refusals;
    QStringList ChangeNames;

  private:
    std::unique_ptr<TConfiguration> FConfig;
    std::unique_ptr<TProject> FProject;
    TSchemeLink FScheme;
    TInplaceEditor FInplace;
    TMainDialogs FDialogs;
};

} // namespace tralcon::test
