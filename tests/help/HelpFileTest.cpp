// The help file as the build made it: every topic a help number opens is in
// it, its own context map agrees with the program's, and its contents and
// index name only pages it holds.

#include "mainwindow/Help.h"

#include <chm_lib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace tralcon {
namespace {

struct TChmCloser {
    void operator()(chmFile* h) const { chm_close(h); }
};

class HelpFile : public testing::Test {
  protected:
    void SetUp() override {
        FChm.reset(chm_open(TRALCON_BIN_DIR "/NVT-3.chm"));
        ASSERT_NE(FChm, nullptr) << "the build has no help file beside the program";
    }

    // The object's bytes, or none when the file lacks it.
    std::optional<std::string> Read(const std::string& path) const {
        chmUnitInfo ui{};
        if (chm_resolve_object(FChm.get(), path.c_str(), &ui) != CHM_RESOLVE_SUCCESS)
            return std::nullopt;
        std::string bytes(static_cast<std::size_t>(ui.length), '\0');
        const LONGINT64 n =
            chm_retrieve_object(FChm.get(), &ui, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                static_cast<LONGINT64>(ui.length));
        if (n != static_cast<LONGINT64>(ui.length))
            return std::nullopt;
        return bytes;
    }

    static std::uint32_t Le32(const std::string& b, std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
        return v;
    }

    // Every page a "Local" parameter of a sitemap (.hhc, .hhk) names.
    static std::set<std::string> Locals(const std::string& sitemap) {
        std::set<std::string> pages;
        const std::string key = "name=\"Local\" value=\"";
        for (std::size_t at = sitemap.find(key); at != std::string::npos;
             at = sitemap.find(key, at + 1)) {
            const std::size_t from = at + key.size();
            pages.insert(sitemap.substr(from, sitemap.find('"', from) - from));
        }
        return pages;
    }

    std::unique_ptr<chmFile, TChmCloser> FChm;
};

TEST_F(HelpFile, HoldsEveryTopicAHelpNumberOpens) {
    ASSERT_FALSE(THelp::Contexts().empty());
    std::set<QString> topics{THelp::DefaultTopic()};
    for (int context : THelp::Contexts())
        topics.insert(THelp::TopicOf(context));
    for (const QString& topic : topics) {
        const auto page = Read("/" + topic.toStdString());
        ASSERT_TRUE(page) << topic.toStdString() << " is not in the help file";
        // A page, not an empty stand-in: it has its own title.
        EXPECT_NE(page->find("<title>"), std::string::npos) << topic.toStdString();
        EXPECT_NE(page->find("</html>"), std::string::npos) << topic.toStdString();
    }
    // Every number the program's windows carry, the main window's pages and
    // their controls, the scheme window and the programmer window, has a topic.
    for (int context :
         {10000, 10001, 10005, 10009, 10099, 100010, 10200, 10202, 10300, 10400, 10500,
          10502, 10600, 10700, 10800, 10900, 10901,  20000, 20317, 30000, 30004, 30008})
        EXPECT_FALSE(THelp::TopicOf(context).isEmpty()) << context;
}

// #IVB holds (number, offset into #STRINGS) pairs; the string is the page.
TEST_F(HelpFile, ItsContextMapAgreesWithTheProgram) {
    const auto ivb = Read("/#IVB");
    const auto strings = Read("/#STRINGS");
    ASSERT_TRUE(ivb && strings) << "the help file carries no context map";
    ASSERT_GE(ivb->size(), 4u);
    const std::uint32_t length = Le32(*ivb, 0);
    ASSERT_EQ(length % 8, 0u);
    ASSERT_LE(length + 4, ivb->size());
    std::map<int, std::string> mapped;
    for (std::size_t at = 4; at < 4 + length; at += 8) {
        const int context = static_cast<int>(Le32(*ivb, at));
        const std::size_t offset = Le32(*ivb, at + 4);
        ASSERT_LT(offset, strings->size());
        mapped[context] = std::string(strings->c_str() + offset);
    }
    std::set<QString> pagesMapped;
    for (const auto& [context, page] : mapped) {
        const std::string topic = THelp::TopicOf(context).toStdString();
        ASSERT_FALSE(topic.empty()) << context << " is in the help file only";
        // chmcmd may store the page with the folder it was compiled in.
        EXPECT_TRUE(page == topic || page.ends_with("/" + topic)) << context << ": " << page;
        pagesMapped.insert(QString::fromStdString(topic));
    }
    // Each topic is reachable through the help file's own map as well.
    for (int context : THelp::Contexts())
        EXPECT_TRUE(pagesMapped.count(THelp::TopicOf(context))) << context;
}

TEST_F(HelpFile, ContentsAndIndexNameOnlyItsPages) {
    for (const char* sitemap : {"/NVT-3.hhc", "/NVT-3.hhk"}) {
        const auto text = Read(sitemap);
        ASSERT_TRUE(text) << sitemap;
        const std::set<std::string> pages = Locals(*text);
        EXPECT_GE(pages.size(), 10u) << sitemap;
        for (const std::string& page : pages)
            EXPECT_TRUE(Read("/" + page)) << sitemap << " names " << page;
    }
    // The contents lead to every topic.
    const std::set<std::string> contents = Locals(*Read("/NVT-3.hhc"));
    for (int context : THelp::Contexts())
        EXPECT_TRUE(contents.count(THelp::TopicOf(context).toStdString())) << context;
}

TEST_F(HelpFile, LinksBetweenPagesLeadToPagesItHolds) {
    std::set<QString> topics{THelp::DefaultTopic()};
    for (int context : THelp::Contexts())
        topics.insert(THelp::TopicOf(context));
    topics.insert(QStringLiteral("tutorial.htm"));
    for (const QString& topic : topics) {
        const std::string page = *Read("/" + topic.toStdString());
        const std::string key = "href=\"";
        for (std::size_t at = page.find(key); at != std::string::npos;
             at = page.find(key, at + 1)) {
            const std::size_t from = at + key.size();
            std::string target = page.substr(from, page.find('"', from) - from);
            target = target.substr(0, target.find('#'));
            EXPECT_TRUE(Read("/" + target)) << topic.toStdString() << " links to " << target;
        }
    }
}

} // namespace
} // namespace tralcon
