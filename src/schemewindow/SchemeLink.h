#pragma once
// What the main window tells the scheme window, and the scheme it keeps for
// the project file. This base keeps the scheme's rows in step with the
// project's signal rows and shows nothing; the scheme window builds on it.

#include "scheme/SchemeDocument.h"

#include <functional>
#include <memory>
#include <string>

namespace tralcon {

class TProject;
class TPhase;
class TTrendGroup;

// The counted signals of a direction: its rows in the scheme.
int RowsOfGroup(const TTrendGroup* group);

class TSchemeLink {
  public:
    virtual ~TSchemeLink() = default;

    // The project on show (the rows of its signals are the scheme's rows).
    virtual void SetProject(const TProject* project) { FProject = project; }
    TSchemeDocument& Scheme() { return *FScheme; }
    const TSchemeDocument& Scheme() const { return *FScheme; }
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
    // The passport's pictures (GIF files) of the scheme and of phase
    // PhaseAt(index); empty without a project.
    virtual std::string SchemeImage();
    virtual std::string PhaseImage(int index);

    // The scheme was edited (the project is modified), and the scheme's own
    // selection moved to a signal row (-1: none).
    std::function<void()> OnModified;
    std::function<void(int row)> OnSelectTrendRow;

  protected:
    const TProject* FProject = nullptr;
    std::unique_ptr<TSchemeDocument> FScheme = std::make_unique<TSchemeDocument>();
};

} // namespace tralcon
