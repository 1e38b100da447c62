#include "mainwindow/Help.h"

#include "platform/FileIO.h"

#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <iterator>

namespace tralcon {

namespace {

struct TTopic {
    int Context;
    const char* Page;
};

// Generated from the help sources' context map, sorted by number.
constexpr TTopic kTopics[] = {
#include "HelpTopics.inc"
};

constexpr const char* kDefaultTopic =
#include "HelpDefaultTopic.inc"
    ;

} // namespace

THelp::THelp(std::string helpFile, THelpViewer viewer)
    : FFile(std::move(helpFile)), FViewer(std::move(viewer)) {}

bool THelp::Available() const {
    return FViewer && FileExists(FFile);
}

QString THelp::TopicOf(int context) {
    const auto* it = std::lower_bound(std::begin(kTopics), std::end(kTopics), context,
                                      [](const TTopic& t, int c) { return t.Context < c; });
    if (it == std::end(kTopics) || it->Context != context)
        return {};
    return QString::fromUtf8(it->Page);
}

QString THelp::DefaultTopic() {
    return QString::fromUtf8(kDefaultTopic);
}

std::vector<int> THelp::Contexts() {
    std::vector<int> all;
    for (const TTopic& t : kTopics)
        all.push_back(t.Context);
    return all;
}

bool THelp::Show(const QString& topic) const {
    if (!Available())
        return false;
    FViewer(QString::fromStdString(FFile), topic);
    return true;
}

bool THelp::ShowContext(int context) const {
    const QString topic = TopicOf(context);
    return Show(topic.isEmpty() ? DefaultTopic() : topic);
}

bool THelp::ShowDefault() const {
    return Show(DefaultTopic());
}

} // namespace tralcon
