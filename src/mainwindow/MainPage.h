#pragma once
// One page of the main window. The window is a shell over its pages: it asks
// the page on show to lay itself out, to show a new or opened project, which
// of "+" and "−" it allows and what they do, and their hints. A page owns its
// grid or tree and its selection, and reaches its surroundings only through
// a small context, never through the window.

#include <QString>
#include <QWidget>

#include <exception>

class QColor;
class QMenu;
class QPainter;
class QRect;
class QResizeEvent;

namespace tralcon {

class TConfiguration;
class TDrawGrid;
class TDrawTree;
class TInplaceEditor;
class TMainDialogs;
class TProject;
class TSchemeLink;

class TPageContext {
  public:
    virtual ~TPageContext() = default;
    // The project on show; it is replaced by a new or opened one, so pages
    // ask for it each time instead of keeping it.
    virtual TProject& Project() = 0;
    // False only while the window is being built or its start-up failed.
    virtual bool HasProject() const = 0;
    virtual const TConfiguration& Config() const = 0;
    virtual TSchemeLink& Scheme() = 0;
    virtual TInplaceEditor& Inplace() = 0;
    virtual TMainDialogs& Dialogs() = 0;
    // A change that the project file keeps.
    virtual void SetModified() = 0;
    // The name the next change goes by in the undo history ("удаление
    // направления 3С"); unnamed changes go by their page.
    virtual void NameNextChange(const QString& text) = 0;
    // The main window is the active window (the controllers page adds and
    // deletes only then).
    virtual bool WindowActive() const = 0;
    // Opens a menu that "+" shows, under the button of the add action.
    virtual void PopupPlusMenu(QMenu* menu) = 0;
    // The application's standard error box.
    virtual void ShowException(const std::exception& e) = 0;
    // Says briefly, beside the control, why an input was refused; it takes
    // no answer.
    virtual void ShowRefusal(QWidget* control, const QString& text) = 0;
    // The widget menus and dialogs belong to.
    virtual QWidget* DialogParent() = 0;
};

class TMainPage : public QWidget {
    Q_OBJECT
  public:
    // helpContext 0: the page has no number of its own.
    TMainPage(TPageContext& context, const char* objectName, int helpContext);

    // Sizes the page's grid to the page; a page without a grid does nothing.
    virtual void Layout() {}
    // Repaints what the page shows from the project.
    virtual void Refresh() { update(); }
    // A new or opened project: the selections start again and the page
    // shows the project.
    virtual void Reset() = 0;

    virtual bool CanPlus() const { return false; }
    virtual bool CanMinus() const { return false; }
    // Run only while the matching Can... holds.
    virtual void Plus() {}
    virtual void Minus() {}
    virtual QString PlusHint() const { return {}; }
    virtual QString MinusHint() const { return {}; }

    // The project's controllers were added or deleted.
    virtual void ControllersChanged() {}

  signals:
    // The selection or the content changed: "+" and "−" and their hints are
    // evaluated again.
    void EditStateChanged();

  protected:
    TPageContext& Context() const { return FContext; }
    TProject& Project() const { return FContext.Project(); }
    // Runs a handler; an exception it throws goes to the error box.
    template <class F> bool Guard(F&& f) {
        try {
            f();
            return true;
        } catch (const std::exception& e) {
            FContext.ShowException(e);
            return false;
        }
    }
    void resizeEvent(QResizeEvent* e) override;
    // A drawn grid on this page with the editors' row height.
    TDrawGrid* MakeGrid(const char* name, int colWidth, int helpContext);
    // A drawn tree filling the page below the widgets already laid out.
    TDrawTree* MakeTree(const char* name, const QStringList& titles, const QList<int>& widths,
                        int helpContext);

  private:
    TPageContext& FContext;
};

// A cell of a page's grid, plain or selected, with its text centred.
void DrawTitleCell(QPainter& p, const TDrawGrid* g, int col, int row, const QRect& rect,
                   const QColor& fill, const QString& text, bool selected = false);

} // namespace tralcon
