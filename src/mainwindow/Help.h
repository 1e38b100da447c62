#pragma once
// Help by context number. Every control carries a number, or inherits its
// nearest parent's; the number names a topic of the help file through the
// same map the help file is built with. Without the help file, or without a
// viewer, nothing happens.

#include "widgets/HelpContext.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace tralcon {

inline constexpr const char* kHelpFileName = "NVT-3.chm";

// Shows one page of a help file: the file's path and the topic's page in it
// ("phases.htm").
using THelpViewer = std::function<void(const QString& chmPath, const QString& topic)>;

class THelp {
  public:
    THelp(std::string helpFile, THelpViewer viewer);
    // The help file is there and something can show it.
    bool Available() const;
    // The topic with the number (a number the map lacks gets the default
    // topic); false when there is no help.
    bool ShowContext(int context) const;
    // The help file's default topic.
    bool ShowDefault() const;
    const std::string& FilePath() const { return FFile; }

    // The page of a context number; empty for a number the map lacks.
    static QString TopicOf(int context);
    static QString DefaultTopic();
    // Every number of the map, ascending.
    static std::vector<int> Contexts();

  private:
    bool Show(const QString& topic) const;

    std::string FFile;
    THelpViewer FViewer;
};

} // namespace tralcon
