#pragma once
// One traffic-light object being edited: every list and value of the project
// lives here, so two projects can coexist in one process.

#include "model/NVTTypes.h"
#include "model/SafeLists.h"
#include "model/Trends.h"

#include <string>

namespace tralcon {

class TProject {
public:
    explicit TProject(const TConfiguration& config) : FConfig(&config) {}
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    const TConfiguration& Config() const { return *FConfig; }

    // Controllers.
    TController* CreateController(const TModel* model);
    TController* ControllerAt(int i) const { return ControllerList.Items(i); }
    bool CanDeleteController(int i) const;
    void DeleteController(int i);
    bool HasFreeOutput() const;
    // The first free output for a direction's slot (0 red, 2 green, other
    // slots yellow first), by colour preference, controller and output order.
    TControllerOutput* FindFreeOutput(int slot) const;
    // "1к" with one controller, "2-1к" once a project has several.
    std::string OutputName(const TControllerOutput* o) const;

    TSafeObjList<TController> ControllerList{true};

private:
    const TConfiguration* FConfig;
};

} // namespace tralcon
