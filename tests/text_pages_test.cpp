// The four text pages: the form of their wording, when each is shown, and
// how a block of lines is laid out and rimmed, on the offscreen context.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/FrameCycle.h"
#include "tests/text_support.h"
#include "text/TextPages.h"

namespace {

using texttest::grab;
using texttest::Pixels;
using texttest::TextTest;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(TextPageTable, PagesHaveTheirWindowsAndForm) {
    struct Form {
        float start, end;
        std::size_t lines, blanks, longest;
    };
    const Form forms[4] = {{1.0f, 25.0f, 24, 2, 43},
                           {25.5f, 50.0f, 21, 1, 54},
                           {50.5f, 75.0f, 24, 1, 54},
                           {75.5f, 100.0f, 21, 3, 58}};
    for (int p = 0; p < 4; ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const std::string text = textPages[p].text;
        EXPECT_EQ(textPages[p].start, forms[p].start);
        EXPECT_EQ(textPages[p].end, forms[p].end);

        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');  // the last line is drawn too
        for (unsigned char c : text) EXPECT_TRUE(c == '\n' || (c >= 32 && c <= 126)) << int(c);

        const std::vector<std::string> lines = linesOf(text);
        EXPECT_EQ(lines.size(), forms[p].lines);
        std::size_t blanks = 0, longest = 0;
        for (const std::string& line : lines) {
            EXPECT_FALSE(line.empty()) << "an empty line would end the page";
            if (line == " ") ++blanks;
            if (line.find_first_not_of(' ') == std::string::npos) {
                EXPECT_EQ(line, " ") << "blank lines are one space";
            }
            longest = std::max(longest, line.size());
        }
        EXPECT_EQ(blanks, forms[p].blanks);
        EXPECT_EQ(longest, forms[p].longest);
    }
}

using PageTest = TextTest;

// Which pages drawPage shows at the given time, one bit per page.
int pagesShownAt(float time) {
    demoTime = time;
    int shown = 0;
    for (int p = 0; p < 4; ++p) {
        texttest::startPicture();
        drawPage(textPages[p].text, textPages[p].start, textPages[p].end);
        if (grab().count(&Pixels::white) > 0) shown |= 1 << p;
    }
    demoTime = 0.0f;
    return shown;
}

TEST_F(PageTest, EachPageShowsOnlyInsideItsOpenWindow) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float time;
        int shown;
    } cases[] = {{-1.0f, 0},   {0.0f, 0},      {1.0f, 0},       {1.0001f, 1},   {10.0f, 1},
                 {24.999f, 1}, {25.0f, 0},     {25.2f, 0},      {25.5f, 0},     {25.5001f, 2},
                 {50.0f, 0},   {50.25f, 0},    {50.5f, 0},      {50.5001f, 4},  {74.99f, 4},
                 {75.0f, 0},   {75.5f, 0},     {75.5001f, 8},   {99.99f, 8},    {100.0f, 0},
                 {150.0f, 0},  {nan, 0}};
    for (const auto& c : cases) EXPECT_EQ(pagesShownAt(c.time), c.shown) << "demoTime " << c.time;
}

TEST_F(PageTest, LinesLieInTheirRowsWithABlackRimAboveAndLeft) {
    drawTextBlock(16.0f, 80.0f, textPages[0].text);
    const Pixels pixels = grab();
    const std::vector<std::string> lines = linesOf(textPages[0].text);

    // Line k's white copy has its baseline below row 89 + 16k; with the
    // ascent and descent of a 16-pixel cell its pixels lie in rows
    // 77 + 16k to 93 + 16k.
    auto inLine = [](int y, std::size_t k) { return y >= 77 + 16 * int(k) && y <= 93 + 16 * int(k); };
    long white = 0, black = 0;
    for (int y = 0; y < texttest::height; ++y) {
        for (int x = 0; x < texttest::width; ++x) {
            if (pixels.white(x, y)) {
                ++white;
                bool placed = false;
                for (std::size_t k = 0; k < lines.size(); ++k) placed |= inLine(y, k) && lines[k] != " ";
                EXPECT_TRUE(placed) << x << "," << y;
                EXPECT_GE(x, 17);
                EXPECT_LE(x, 18 + 43 * 12);
                // The two black copies under it show above and up-left.
                EXPECT_TRUE(!pixels.background(x - 1, y - 1) && !pixels.background(x, y - 1))
                    << x << "," << y;
            } else if (pixels.black(x, y)) {
                ++black;
                EXPECT_TRUE(pixels.white(x + 1, y + 1) || pixels.white(x, y + 1)) << x << "," << y;
            } else {
                EXPECT_TRUE(pixels.background(x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_GT(white, 5000);
    EXPECT_GT(black, 2000);

    // The first line alone: a capital's foot sits on row 89 (the white
    // copy), its black twin's on row 88.
    texttest::startPicture();
    drawTextBlock(16.0f, 80.0f, "H\n");
    const Pixels line = grab();
    bool whiteFoot = false, blackFoot = false;
    for (int x = 0; x < 40; ++x) {
        whiteFoot |= line.white(x, 89);
        blackFoot |= line.black(x, 88);
        EXPECT_FALSE(line.white(x, 90) || line.black(x, 90));
    }
    EXPECT_TRUE(whiteFoot);
    EXPECT_TRUE(blackFoot);
}

TEST_F(PageTest, BlankLinesTakeTheirRowsAndTheLineStopRulesHold) {
    auto picture = [](const char* text) {
        texttest::startPicture();
        drawTextBlock(16.0f, 80.0f, text);
        return grab();
    };
    const Pixels single = picture("A line\n");
    EXPECT_GT(single.count(&Pixels::white), 0);
    EXPECT_TRUE(picture("A line\nnot ended") == single);   // text after the last line feed
    EXPECT_TRUE(picture("A line\n\nnever shown\n") == single);  // an empty line ends the page

    const Pixels nothing = picture("");
    EXPECT_EQ(nothing.count(&Pixels::background), long(texttest::width) * texttest::height);
    EXPECT_TRUE(picture("\nnever shown\n") == nothing);
    EXPECT_TRUE(picture("no line feed") == nothing);

    // Two blank lines push a line down by exactly two pitches.
    const Pixels lowered = picture(" \n \nA line\n");
    for (int y = 0; y < texttest::height; ++y)
        for (int x = 0; x < texttest::width; ++x) {
            const bool expected = y >= 32 && single.white(x, y - 32);
            ASSERT_EQ(lowered.white(x, y), expected) << x << "," << y;
        }
}

TEST_F(PageTest, MatrixAndColourAreLeftAsTheTwoDimensionalPassExpects) {
    for (const char* text : {"", "\nA\n", "x", textPages[3].text}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(text).substr(0, 10)));
        glLoadIdentity();
        glTranslatef(3.0f, 4.0f, 0.0f);
        GLfloat before[16], after[16];
        GLint depthBefore = 0, depthAfter = 0;
        glGetFloatv(GL_MODELVIEW_MATRIX, before);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

        drawTextBlock(16.0f, 80.0f, text);

        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
        EXPECT_EQ(depthAfter, depthBefore);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]) << i;
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0], 1.0f);
        EXPECT_EQ(colour[1], 1.0f);
        EXPECT_EQ(colour[2], 1.0f);
        EXPECT_EQ(colour[3], 1.0f);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(PageTest, TextStaysUnfoggedUnderTheStateTheScenePassLeaves) {
    drawTextBlock(16.0f, 80.0f, textPages[1].text);
    const Pixels clear = grab();

    // What the 3D pass leaves enabled: linear fog 5..18 towards a grey,
    // blending and the alpha test.
    texttest::startPicture();
    const GLfloat fogColour[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 5.0f);
    glFogf(GL_FOG_END, 18.0f);
    glFogfv(GL_FOG_COLOR, fogColour);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    drawTextBlock(16.0f, 80.0f, textPages[1].text);
    const Pixels fogged = grab();
    EXPECT_TRUE(glIsEnabled(GL_FOG));  // the scene's own state is kept
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);

    EXPECT_GT(clear.count(&Pixels::white), 5000);
    EXPECT_TRUE(fogged == clear);
}

}  // namespace
