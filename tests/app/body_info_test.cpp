// The body menu: view mode, fact box caption and text byte for byte.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/viewer.h"
#include "core/viewer_state.h"
#include "tests/support/message_boxes.h"
#include "viewer_fixture.h"

namespace {

class Menu : public ::testing::Test {
protected:
    void SetUp() override
    {
        openTestWindow();
        resetViewerState();
        boxes.whileShown = [this] { viewModesWhileShown.push_back(viewMode); };
    }
    RecordedBoxes boxes{nullptr};  // any caption: each body's name
    std::vector<int> viewModesWhileShown;
    static bool choose(int value)
    {
        return redisplayRequestedBy([&] { selectBody(value); });
    }
};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == '\n')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

TEST_F(Menu, MarsShowsItsCloseUpAndBox)
{
    EXPECT_TRUE(choose(5));
    EXPECT_EQ(viewMode, 4);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(viewModesWhileShown[0], 4);
    EXPECT_EQ(boxes.captions[0], "\xED\x99\x94\xEC\x84\xB1");  // 화성
    EXPECT_EQ(boxes.texts[0], "반지름(Km) : 3397\n질량(10*24승 Kg) : 0.642\n밀도(g/cm3) : 3.93\n"
                              "중력(지구=1) : 0.38\n자전주기 : 24.62시간\n공전주기 : 1.88년");
    EXPECT_EQ(lines(boxes.texts[0]).back(), "공전주기 : 1.88년");
}

TEST_F(Menu, SunsOrbitalPeriodIsADash)
{
    choose(1);
    EXPECT_EQ(viewMode, 0);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.captions[0], "태양");
    EXPECT_EQ(boxes.texts[0], "반지름(Km) : 695,500\n질량(10*24승 Kg) : 1,989,000\n밀도(g/cm3) : 1.41\n"
                              "중력(지구=1) : 28\n자전주기 : 25.4일\n공전주기 : -");
}

TEST_F(Menu, KosmaraReturnsToTheOverviewWithoutABox)
{
    choose(7);
    ASSERT_EQ(viewMode, 6);
    EXPECT_TRUE(choose(11));
    EXPECT_EQ(viewMode, 10);
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST_F(Menu, EveryBodyHasItsCaptionAndSixFacts)
{
    const char* captions[] = {"태양", "수성", "금성", "지구", "화성", "목성", "토성", "천왕성", "해왕성", "명왕성"};
    const char* prefixes[] = {
        "반지름(Km) : ", "질량(10*24승 Kg) : ", "밀도(g/cm3) : ", "중력(지구=1) : ", "자전주기 : ", "공전주기 : "};
    for (int value = 1; value <= 10; ++value) {
        SCOPED_TRACE(value);
        choose(value);
        EXPECT_EQ(viewMode, value - 1);
        ASSERT_EQ(boxes.texts.size(), static_cast<size_t>(value));
        EXPECT_EQ(boxes.captions.back(), captions[value - 1]);
        const auto facts = lines(boxes.texts.back());
        ASSERT_EQ(facts.size(), 6u);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(facts[i].rfind(prefixes[i], 0), 0u) << facts[i];
            EXPECT_GT(facts[i].size(), std::string(prefixes[i]).size()) << facts[i];
        }
    }
    // Choosing the same body again shows its box again.
    choose(10);
    EXPECT_EQ(boxes.texts.size(), 11u);
    EXPECT_EQ(boxes.texts.back(), boxes.texts[9]);
    EXPECT_EQ(viewMode, 9);
}

TEST_F(Menu, ValuesOutsideTheMenuAreIgnored)
{
    for (int value : {0, -1, 12, 1000}) {
        EXPECT_FALSE(choose(value));
        EXPECT_EQ(viewMode, 10);
    }
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(Menu, TheAnimationKeepsRunningAcrossABox)
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 1, 1);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 1, 1);
    choose(4);
    EXPECT_EQ(viewMode, 3);
    EXPECT_TRUE(animating);
    EXPECT_TRUE(clockInstalled());
}

}  // namespace
