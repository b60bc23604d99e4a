#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/text_direction.h"

namespace {

bool ReadsRightToLeft(std::initializer_list<int32_t> line)
{
    CLineDirection direction;
    for (int32_t c : line)
        direction.Add(c);
    return direction.ReadsRightToLeft();
}

TEST(TextDirectionTest, ScriptsOfBothDirections)
{
    EXPECT_TRUE(IsRightToLeftChar(0x05D0));   // Hebrew alef
    EXPECT_TRUE(IsRightToLeftChar(0x0627));   // Arabic alef
    EXPECT_TRUE(IsRightToLeftChar(0xFEFB));   // Arabic presentation form
    EXPECT_FALSE(IsRightToLeftChar('A'));
    EXPECT_FALSE(IsRightToLeftChar(0x0410));  // Cyrillic
    EXPECT_FALSE(IsRightToLeftChar(0x0661));  // Arabic-Indic digit: weak, not strong
}

TEST(TextDirectionTest, TheEndsDecideAndTheMajorityBreaksATie)
{
    EXPECT_FALSE(ReadsRightToLeft({}));
    EXPECT_FALSE(ReadsRightToLeft({'1', '2', ' '}));                    // no strong letter
    EXPECT_TRUE(ReadsRightToLeft({0x05D0, ' ', '1', 0x05D1}));
    EXPECT_FALSE(ReadsRightToLeft({'a', 0x05D0, 0x05D1, 0x05D2, 'b'}));  // both ends Latin
    // Ends disagree: the letters' majority.
    EXPECT_TRUE(ReadsRightToLeft({'a', 0x0627, 0x0628, 0x0629}));
    EXPECT_FALSE(ReadsRightToLeft({0x0627, 'a', 'b', 'c'}));
}

}  // namespace
