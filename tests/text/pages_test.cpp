// The text pages: their wording's form and when each is shown.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/FrameCycle.h"
#include "tests/text/TextContext.h"
#include "text/TextPages.h"

namespace {

using textcontext::grab;
using textcontext::Pixels;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

class PagesTest : public textcontext::TextContext {};

// Each page's window, lines (the blank ones one space) and longest line.
TEST_F(PagesTest, PagesHaveTheirWindowsAndForm) {
    const struct {
        float start, end;
        std::size_t lines, blanks, longest;
    } forms[4] = {{1.0f, 25.0f, 24, 2, 43}, {25.5f, 50.0f, 21, 1, 54}, {50.5f, 75.0f, 24, 1, 54}, {75.5f, 100.0f, 21, 3, 58}};
    for (int p = 0; p < 4; ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const std::string text = textPages[p].text;
        EXPECT_EQ(std::make_pair(textPages[p].start, textPages[p].end), std::make_pair(forms[p].start, forms[p].end));
        EXPECT_EQ(text.back(), '\n');
        for (unsigned char c : text) EXPECT_TRUE(c == '\n' || (c >= 32 && c <= 126)) << int(c);
        const std::vector<std::string> lines = linesOf(text);
        std::size_t blanks = 0, longest = 0;
        for (const std::string& line : lines) {
            EXPECT_TRUE(line.find_first_not_of(' ') != std::string::npos || line == " ") << "a blank line is one space";
            blanks += line == " ";
            longest = std::max(longest, line.size());
        }
        EXPECT_EQ(std::vector<std::size_t>({lines.size(), blanks, longest}),
                  std::vector<std::size_t>({forms[p].lines, forms[p].blanks, forms[p].longest}));
    }
}

// Which pages drawPage shows at the given time, one bit per page.
int pagesShownAt(float time) {
    demoTime = time;
    int shown = 0;
    for (int p = 0; p < 4; ++p) {
        textcontext::startPicture();
        drawPage(textPages[p].text, textPages[p].start, textPages[p].end);
        if (grab().count(&Pixels::white) > 0) shown |= 1 << p;
    }
    demoTime = 0.0f;
    return shown;
}

TEST_F(PagesTest, EachPageShowsOnlyInsideItsOpenWindow) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<float, int> cases[] = {{-1.0f, 0},   {0.0f, 0},      {1.0f, 0},       {1.0001f, 1},   {10.0f, 1},
                 {24.999f, 1}, {25.0f, 0},     {25.2f, 0},      {25.5f, 0},     {25.5001f, 2},
                 {50.0f, 0},   {50.25f, 0},    {50.5f, 0},      {50.5001f, 4},  {74.99f, 4},
                 {75.0f, 0},   {75.5f, 0},     {75.5001f, 8},   {99.99f, 8},    {100.0f, 0},
                 {150.0f, 0},  {nan, 0}};
    for (const auto& [time, shown] : cases) EXPECT_EQ(pagesShownAt(time), shown) << "demoTime " << time;
}

}  // namespace
