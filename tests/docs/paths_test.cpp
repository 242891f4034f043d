// Every repository path the README and the architecture guide name exists:
// inline code and link targets that are paths, not commands or names made
// at run time. A path with a folder of the repository's root is read from
// the root ("tests/desktop/"); a shorter one ("sdl/", "Entry.cpp",
// "common/Backend.h") must end some path of the repository or lie beside
// the document.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// The repository's files and folders (folders with a trailing '/'),
// without the build folders and Git's own.
std::vector<std::string> repositoryPaths() {
    const fs::path root = support::sourceDir();
    std::vector<std::string> paths;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string path = fs::relative(it->path(), root).generic_string();
        if (it.depth() == 0 && (path.rfind("build", 0) == 0 || path == ".git")) {
            it.disable_recursion_pending();
            continue;
        }
        paths.push_back(path + (it->is_directory() ? "/" : ""));
    }
    return paths;
}

// What a guide names that looks like a repository path: code spans outside
// fenced blocks, and link targets. Commands, placeholders, build outputs and
// the log the program writes where it runs are left out.
std::set<std::string> namedPaths(const std::string& text) {
    std::string prose;
    bool fenced = false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("```", 0) == 0) fenced = !fenced;
        else if (!fenced) prose += line + "\n";
    }
    std::set<std::string> paths;
    const std::regex named(R"(`([^`\n]+)`|\]\(([^)\s]+)\))");
    const std::regex pathLike(R"([A-Za-z0-9_.\-/]+)");
    const std::regex placeholder("/[A-Z]+/");  // platform/NAME/
    const std::regex sourceFile(R"(.*\.(cpp|h|cmake|md|sh|txt|png|conf|gp|xml|in))");
    for (auto it = std::sregex_iterator(prose.begin(), prose.end(), named); it != std::sregex_iterator(); ++it) {
        std::string name = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
        if (name.rfind("./", 0) == 0) name.erase(0, 2);
        if (!std::regex_match(name, pathLike) || std::regex_search(name, placeholder) || name.rfind("build", 0) == 0 ||
            name == "log.txt")
            continue;
        if (name.find('/') != std::string::npos || std::regex_match(name, sourceFile)) paths.insert(name);
    }
    return paths;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class PathsTest : public testing::TestWithParam<const char*> {};

TEST_P(PathsTest, EveryPathTheGuideNamesExists) {
    const std::string document = GetParam();
    const std::string text = support::readFile(support::sourceDir() + "/" + document);
    ASSERT_FALSE(text.empty()) << document;
    const std::vector<std::string> repository = repositoryPaths();
    std::set<std::string> top;
    for (const std::string& path : repository)
        if (path.find('/') == std::string::npos || path.find('/') == path.size() - 1) top.insert(path);
    const std::string folder = fs::path(document).parent_path().generic_string();
    const std::set<std::string> named = namedPaths(text);
    EXPECT_GT(named.size(), 10u) << "the paths were not found in " << document;
    for (const std::string& name : named) {
        const std::string first = name.substr(0, name.find('/') + 1);
        bool found = fs::exists(fs::path(support::sourceDir()) / name);
        if (!found && !top.count(first)) {
            found = fs::exists(fs::path(support::sourceDir()) / folder / name);
            for (const std::string& path : repository) found = found || endsWith("/" + path, "/" + name);
        }
        EXPECT_TRUE(found) << document << " names " << name << ", which is not in the repository";
    }
}

INSTANTIATE_TEST_SUITE_P(Guides, PathsTest, testing::Values("README.md", "docs/ARCHITECTURE.md"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).find("README") != std::string::npos ? "Readme"
                                                                                                 : "Architecture";
                         });

}  // namespace
