#pragma once
// "Схема движения": the scheme's tool window above the main window. A tree
// of the project's signal rows with the scheme objects drawn for each and
// the points of each trajectory, the property page of what is selected, the
// drawing control and the buttons of its commands. It ties scheme objects to
// signal rows, follows the directions the main window adds and deletes,
// colours the trajectories by the selected direction or phase, and tells the
// main window when its own selection moves to a direction.

#include "schemewindow/SchemeLink.h"
#include "schemewindow/SchemeTree.h"
#include "schemewindow/vxCRScheme.h"

#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;

namespace tralcon {

class TSchemePropertyPage;

class TSchemeForm : public QWidget, public TSchemeLink {
    Q_OBJECT

  public:
    // parent: the main window the tool window stays above.
    explicit TSchemeForm(QWidget* parent = nullptr);
    ~TSchemeForm() override;

    // --- what the main window tells the scheme
    void SetProject(const TProject* project) override;
    void SetScheme(std::unique_ptr<TSchemeDocument> scheme) override;
    void ClearScheme() override;
    void SchemeTrendsAdded(int row) override;
    void SchemeTrendsRemoved(int row) override;
    void SchemeRemoveCallGroups() override;
    void SchemeSelectTrend(int row) override;
    void ShowPhaseOnScheme(const TPhase* phase) override;
    void ShowScheme() override;

    // The passport's pictures, drawn from the scheme on show.
    std::string SchemeImage() override;
    std::string PhaseImage(int index) override;

    // --- commands
    // A trajectory (tags 1 to 14) or a label (15) for the focused node's row.
    void AddPreset(int tag);
    void DeleteFocusedObject();
    void InsertCopy();
    // Background: a picture file made the background (false and a message
    // when it cannot be read), and none.
    bool LoadBackground(const QString& path);
    void ClearBackground();
    void ToggleEditor();
    // The scheme shown 1 to 4 times enlarged.
    void SetZoom(int zoom);
    bool EditorHidden() const { return FEditorHidden; }
    // A trajectory's node moved to a row (position -1: its end).
    void MoveObjectToRow(TvxSchemeObject* object, int row, int position);
    // Brings the enabled and visible state of the commands up to date.
    void UpdateActions();

    TvxCRScheme* CRScheme = nullptr;
    TSchemeTree* vtScheme = nullptr;
    TSchemePropertyPage* Properties = nullptr;
    QStackedWidget* EditorArea = nullptr;
    QMenu* PopupCurves = nullptr;
    QMenu* SchemePopup = nullptr;
    QAction* actSchemeEdit = nullptr;
    QAction* actLoadScheme = nullptr;
    QAction* actClearScheme = nullptr;
    QAction* actPlusCurve = nullptr;
    QAction* actMinusCurve = nullptr;
    QAction* actHideScheme = nullptr;
    QAction* actInsertPoint = nullptr;
    QAction* actDeletePoint = nullptr;
    QAction* actReverse = nullptr;
    QAction* actFlipVertical = nullptr;
    QAction* actFlipHorizontal = nullptr;
    QAction* actCurveToFront = nullptr;
    QAction* actCurveToEnd = nullptr;
    QAction* actDeleteCurve = nullptr;
    QAction* actInsertCopy = nullptr;
    QAction* actZoomIn = nullptr;
    QAction* actZoomOut = nullptr;

    // Seams for tests and the main window: the open-picture dialog, the
    // message box, whether this window is the active one, a signal kind's
    // icon.
    std::function<std::optional<QString>(QWidget* parent)> AskPictureFile;
    std::function<void(QWidget* parent, const QString& text)> ShowError;
    std::function<bool()> WindowActive;
    std::function<QPixmap(int kind)> TrendIcon;

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildActions();
    void BuildLayout();
    void BuildPresets();
    void SetHelpContexts();
    void Rebuild();
    void FitToContents();
    void FocusNode(const TSchemeNode& node);
    void FocusChanged();
    void CRSchemeSelect();
    void CRSchemeChange(TvxSchemeObject* sender);
    void CRSchemeReOrder();
    void RefreshLabelTexts();
    void UpdatePropertyPage();
    void SetModified();
    // The scheme as it stands is the one reported (read, not edited).
    void NoteReported();
    int FocusedRow() const;
    // The node of the control's selection: its selected point's, else its
    // own; none without a selection.
    TSchemeNode SelectionNode() const;
    TvxArrow* SelectedArrow() const;

    QWidget* FEditor = nullptr;
    QLabel* FPhaseText = nullptr;
    bool FEditorHidden = false;
    bool FInFocusChange = false;
    // While the main window reports its own changes, the scheme's focus
    // follows them without selecting rows back in the main window.
    int FQuiet = 0;
    // The scheme's file bytes when last reported: a gesture that changed
    // nothing (a plain click) does not make the project modified.
    std::string FReported;
};

} // namespace tralcon
