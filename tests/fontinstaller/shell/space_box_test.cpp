#include <gtest/gtest.h>

#include "dialog_watch.h"
#include "space_box.h"
#include "text_files.h"

using namespace tarsik;

namespace {

// The caption is stored in code page 932 but must read the same on every
// system; this program runs under code pages 950 and 1252.
TEST(SpaceBoxTest, ShowsItsJapaneseCaptionAndTheChineseTextOnAnySystem) {
    std::string text = vexatest::FromUtf8("所需磁碟空間: 1.0M\n 大於尚餘磁碟空間: 900K", 950);
    auto seen = vexatest::AnswerDialogs([&] { ShowSpaceMessage(nullptr, text.c_str()); });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"VexaFont インストーラ");
    ASSERT_FALSE(seen[0].texts.empty());
    EXPECT_EQ(seen[0].texts.back(), L"所需磁碟空間: 1.0M\n 大於尚餘磁碟空間: 900K");
}

TEST(SpaceBoxTest, StoredCaptionIsShiftJis) {
    EXPECT_EQ(vexatest::ToUtf8(kSpaceBoxCaption932, 932), "VexaFont インストーラ");
}

}  // namespace
