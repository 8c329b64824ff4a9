// The shipped help pages: every context number's page and both contents pages exist, every local
// link and anchor resolves, every page is reached from a contents page, and the copies beside the
// two programs in the build tree are the current pages.
#include "model/UHelpContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
// GCC 12 warns inside <regex> itself under the sanitizers (a std::function it takes for
// uninitialised): a false positive of the library, not of this file.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> PagesOf(const fs::path& folder) {
    std::vector<std::string> pages;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".htm") pages.push_back(entry.path().filename().string());
    std::sort(pages.begin(), pages.end());
    return pages;
}

// The targets of href and src attributes, in page order.
std::vector<std::string> LinksOf(const std::string& html) {
    static const std::regex link(R"re(\b(?:href|src)\s*=\s*"([^"]*)")re", std::regex::icase);
    std::vector<std::string> links;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it)
        links.push_back((*it)[1].str());
    return links;
}

bool HasAnchor(const std::string& html, const std::string& anchor) {
    return html.find("name=\"" + anchor + "\"") != std::string::npos ||
           html.find("id=\"" + anchor + "\"") != std::string::npos;
}

bool IsExternal(const std::string& link) {
    for (const char* scheme : {"http:", "https:", "mailto:", "ftp:"})
        if (link.rfind(scheme, 0) == 0) return true;
    return false;
}

// Every local link of every page of folder that leads nowhere: "page -> link (why)".
std::vector<std::string> BrokenLinks(const fs::path& folder) {
    std::vector<std::string> broken;
    for (const std::string& page : PagesOf(folder)) {
        const std::string html = ReadAll(folder / page);
        for (const std::string& link : LinksOf(html)) {
            if (IsExternal(link)) continue;
            const std::size_t hash = link.find('#');
            const std::string file = link.substr(0, hash);
            const std::string anchor = hash == std::string::npos ? std::string() : link.substr(hash + 1);
            if (file.find('/') != std::string::npos || file.find("..") != std::string::npos) {
                broken.push_back(page + " -> " + link + " (leaves the help folder)");
                continue;
            }
            const fs::path target = folder / (file.empty() ? page : file);
            if (!fs::is_regular_file(target)) {
                broken.push_back(page + " -> " + link + " (no such page)");
                continue;
            }
            if (!anchor.empty() && !HasAnchor(ReadAll(target), anchor))
                broken.push_back(page + " -> " + link + " (no such anchor)");
        }
    }
    return broken;
}

// The pages reached by following local links from the start pages.
std::set<std::string> ReachedFrom(const fs::path& folder, const std::vector<std::string>& starts) {
    std::set<std::string> reached;
    std::vector<std::string> todo = starts;
    while (!todo.empty()) {
        const std::string page = todo.back();
        todo.pop_back();
        if (!reached.insert(page).second || !fs::is_regular_file(folder / page)) continue;
        for (const std::string& link : LinksOf(ReadAll(folder / page))) {
            if (IsExternal(link)) continue;
            const std::string file = link.substr(0, link.find('#'));
            if (!file.empty() && file.size() > 4 && file.substr(file.size() - 4) == ".htm")
                todo.push_back(file);
        }
    }
    return reached;
}

class TTempFolder {
public:
    TTempFolder() {
        FPath = fs::temp_directory_path() / ("tx-help-" + std::to_string(::getpid()));
        fs::remove_all(FPath);
        fs::create_directories(FPath);
    }
    ~TTempFolder() { fs::remove_all(FPath); }
    const fs::path& Path() const { return FPath; }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(FPath / name) << text;
    }

private:
    fs::path FPath;
};

const fs::path kPages = TX_HELP_SOURCE_DIR;

} // namespace

TEST(HelpPages, TheLinkCheckFindsWhatLeadsNowhere) {
    TTempFolder dir;
    dir.Write("a.htm", R"(<a href="b.htm">fine</a> <a href="b.htm#there">fine</a> <a href="#here">fine</a>
        <a name="here"></a> <a href="https://example.org/x.htm">outside</a> <img src="pic.png">
        <a href="c.htm">missing page</a> <a href="b.htm#nowhere">missing anchor</a>
        <a href="#gone">missing anchor here</a> <a href="../etc/passwd">outside the folder</a>)");
    dir.Write("b.htm", R"(<h2 id="there">B</h2>)");
    dir.Write("pic.png", "");
    EXPECT_EQ(BrokenLinks(dir.Path()), (std::vector<std::string>{
                                           "a.htm -> c.htm (no such page)",
                                           "a.htm -> b.htm#nowhere (no such anchor)",
                                           "a.htm -> #gone (no such anchor)",
                                           "a.htm -> ../etc/passwd (leaves the help folder)",
                                       }));
}

TEST(HelpPages, EveryContextNumberHasItsPage) {
    for (int context : model::HelpContexts()) {
        const std::string page = model::HelpPageOfContext(context);
        EXPECT_TRUE(fs::is_regular_file(kPages / page)) << context << " -> " << page;
    }
}

TEST(HelpPages, BothProgramsHaveTheirContentsAndTheWebPagesExist) {
    for (const std::string& page :
         {model::HelpContentsPage("TessalundrixPro"), model::HelpContentsPage("TXViewer"),
          std::string(model::kHelpFaqPage), std::string(model::kHelpSupportPage)})
        EXPECT_TRUE(fs::is_regular_file(kPages / page)) << page;
}

TEST(HelpPages, EveryLocalLinkResolves) {
    const std::vector<std::string> broken = BrokenLinks(kPages);
    EXPECT_TRUE(broken.empty()) << ::testing::PrintToString(broken);
}

TEST(HelpPages, EveryPageHasATitleAndIsReachedFromTheContents) {
    const std::set<std::string> reached = ReachedFrom(
        kPages, {model::HelpContentsPage("TessalundrixPro"), model::HelpContentsPage("TXViewer")});
    for (const std::string& page : PagesOf(kPages)) {
        EXPECT_TRUE(reached.count(page)) << page << " is linked from no contents page";
        const std::string html = ReadAll(kPages / page);
        EXPECT_NE(html.find("<title>"), std::string::npos) << page;
        EXPECT_NE(html.find("charset=\"utf-8\""), std::string::npos) << page;
    }
}

TEST(HelpPages, TheBuildCopiesThePagesBesideBothPrograms) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(kPages))
        if (entry.path().filename() != "CMakeLists.txt") files.push_back(entry.path().filename().string());
    ASSERT_FALSE(files.empty());
    for (const fs::path& copy : {fs::path(TX_HELP_EXPLORER_DIR), fs::path(TX_HELP_VIEWER_DIR)})
        for (const std::string& file : files) {
            ASSERT_TRUE(fs::is_regular_file(copy / file)) << (copy / file);
            EXPECT_EQ(ReadAll(copy / file), ReadAll(kPages / file)) << (copy / file);
        }
}
