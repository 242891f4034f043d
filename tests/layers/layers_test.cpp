// The program's dependencies run one way. Each library's include path, as
// the build gives it, reaches the headers of the libraries below it and no
// others; and no two sources include each other, directly or around a
// circle (a source and its header count as one).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// What each library may include besides its own headers: the levels
// drawn in docs/ARCHITECTURE.md.
const std::map<std::string, std::set<std::string>> below = {
    {"salute_frame", {"salute_contract"}},
    {"salute_pictures", {"salute_contract"}},
    {"salute_log", {"salute_frame", "salute_contract"}},
    {"salute_scene", {"salute_pictures", "salute_frame", "salute_contract"}},
    {"salute_text", {"salute_frame", "salute_contract"}},
    {"salute_load",
     {"salute_scene", "salute_text", "salute_log", "salute_pictures", "salute_frame", "salute_contract"}},
    {"salute_app",
     {"salute_load", "salute_scene", "salute_text", "salute_log", "salute_pictures", "salute_frame",
      "salute_contract"}},
};

// Each library's headers as the build stages them: BUILD/include/LIBRARY/PATH.
std::map<std::string, std::vector<std::string>> stagedHeaders() {
    std::map<std::string, std::vector<std::string>> headers;
    for (const auto& library : fs::directory_iterator(fs::path(support::dataDir()) / "include")) {
        for (const auto& entry : fs::recursive_directory_iterator(library.path())) {
            if (!entry.is_directory())
                headers[library.path().filename().string()].push_back(
                    entry.path().lexically_relative(library.path()).generic_string());
        }
    }
    return headers;
}

// "LIBRARY DIR DIR ..." lines, written by the build.
std::map<std::string, std::vector<std::string>> includePaths() {
    std::map<std::string, std::vector<std::string>> paths;
    std::istringstream lines(support::readFile(SALUTE_INCLUDE_PATHS));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string library;
        words >> library;
        for (std::string dir; words >> dir;) paths[library].push_back(dir);
    }
    return paths;
}

// Whether the preprocessor finds header, and all it includes, on the paths.
bool reaches(const std::vector<std::string>& paths, const std::string& header, const support::TempDir& dir) {
    const std::string source = dir.path() + "/probe.cpp";
    std::ofstream(source) << "#include \"" << header << "\"\n";
    std::vector<std::string> argv = {SALUTE_CXX_COMPILER, "-std=c++17", "-E", "-o", "/dev/null"};
    for (const std::string& path : paths) argv.push_back("-I" + path);
    argv.push_back(source);
    return support::runProcess(argv, dir.path(), {}, 60).exitCode == 0;
}

TEST(LayersTest, EachLibraryReachesItsOwnHeadersAndThoseBelowOnly) {
    const auto headers = stagedHeaders();
    const auto paths = includePaths();
    ASSERT_EQ(headers.size(), below.size() + 1) << "a library without its level in this test";
    ASSERT_EQ(paths.size(), below.size());
    support::TempDir dir;
    for (const auto& [library, lower] : below) {
        for (const auto& [owner, files] : headers) {
            const bool allowed = owner == library || lower.count(owner) != 0;
            for (const std::string& header : files) {
                EXPECT_EQ(reaches(paths.at(library), header, dir), allowed)
                    << library << (allowed ? " cannot include " : " can include ") << header << " of " << owner;
            }
        }
    }
}

TEST(LayersTest, NoSourcesIncludeEachOtherAroundACircle) {
    // Units: a path without its extension, so Scene.h and Scene.cpp are one.
    const fs::path root = support::sourceDir();
    std::map<std::string, std::set<std::string>> includes;
    const std::regex include(R"re(#include "([^"]+)\.[a-z]+")re");
    for (const char* folder : {"app", "assets", "frame", "scene", "text", "log", "platform", "tools"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            const std::string unit = fs::relative(entry.path(), root).replace_extension().generic_string();
            const std::string text = support::readFile(entry.path().string());
            for (auto it = std::sregex_iterator(text.begin(), text.end(), include); it != std::sregex_iterator();
                 ++it) {
                if ((*it)[1].str() != unit) includes[unit].insert((*it)[1].str());
            }
        }
    }
    ASSERT_GT(includes.size(), 50u);

    std::map<std::string, int> state;  // 1 on the current path, 2 done
    std::vector<std::string> path;
    std::vector<std::string> circles;
    const std::function<void(const std::string&)> visit = [&](const std::string& unit) {
        state[unit] = 1;
        path.push_back(unit);
        for (const std::string& next : includes[unit]) {
            if (state[next] == 1) {
                std::string circle;
                for (auto it = std::find(path.begin(), path.end(), next); it != path.end(); ++it) circle += *it + " -> ";
                circles.push_back(circle + next);
            } else if (state[next] == 0) {
                visit(next);
            }
        }
        path.pop_back();
        state[unit] = 2;
    };
    for (const auto& entry : includes)
        if (state[entry.first] == 0) visit(entry.first);
    for (const std::string& circle : circles) ADD_FAILURE() << "includes around a circle: " << circle;
}

}  // namespace
