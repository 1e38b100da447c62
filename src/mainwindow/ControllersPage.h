#pragma once
// Page 0: the project's header (name, system identifier, all-red time, the
// quick start and quick call options) over the controllers tree, which lists
// each controller with its outputs and the direction signal each drives.

#include "mainwindow/MainPage.h"

#include <cstdint>

class QCheckBox;
class QFrame;
class QLineEdit;
class QTreeWidgetItem;

namespace tralcon {

class TController;
class TModel;
class TvxSpinEdit;

class TControllersPage : public TMainPage {
    Q_OBJECT
  public:
    explicit TControllersPage(TPageContext& context);

    void Reset() override;
    bool CanPlus() const override;
    bool CanMinus() const override;
    void Plus() override;
    void Minus() override;
    QString PlusHint() const override { return QStringLiteral("Новый контроллер"); }
    QString MinusHint() const override { return QStringLiteral("Удалить контроллер"); }

    // A controller of the catalogue model, focused in the tree.
    TController* AddController(const TModel* model);
    // A controller from its model identifier and lamp-type flags ("Model not
    // found" before anything is added).
    TController* AddLoadedController(std::int32_t modelID, std::uint8_t flags);
    int SelectedController() const { return FSelController; }

    // The project's name in its edit, without counting as an edit.
    void ShowProjectName();
    void SetQuickCall(bool flag);
    void SetAllRedTime(int seconds);
    void SetQuickStart(bool flag);

    QWidget* Panel1 = nullptr;
    QLineEdit* edProjectName = nullptr;
    QFrame* edProjectNameFrame = nullptr;
    TvxSpinEdit* seSystemID = nullptr;
    TvxSpinEdit* udAllRedTime = nullptr;
    QCheckBox* cbQuickStart = nullptr;
    QCheckBox* cbQuickCall = nullptr;
    TDrawTree* vtControllers = nullptr;

  signals:
    // "+" asks for the catalogue models' menu.
    void ModelMenuRequested();
    void ControllerListChanged();
    void ProjectNameEdited();

  private:
    void BuildHeader();
    void BuildTree();
    void AddControllerNode(TController* controller);
    void DeleteSelectedController();
    void vtControllersFocusChanged(QTreeWidgetItem* node);
    void vtControllersClick(Qt::MouseButton button, QPoint pos);

    int FSelController = -1;
    int FUpdating = 0; // > 0 while the program itself sets controls
};

} // namespace tralcon
