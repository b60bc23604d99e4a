// Places both printers take from the page model: the paper and the text
// boxes.
#include <gtest/gtest.h>

#include "page/page.h"

TEST(PagePlaces, PaperIsThePictureWithItsExtras)
{
    CPage page;
    page.widthTwips = 12240;
    page.heightTwips = 15840;
    EXPECT_EQ(page.PaperWidth(), 12290);
    EXPECT_EQ(page.PaperHeight(), 15940);
}

TEST(PagePlaces, TextBoxGrowsByALineWhereItsTextRuns)
{
    CTextRun run;
    run.left = 100;
    run.top = 200;
    run.right = 900;
    run.bottom = 440;
    run.lineHeight = 240;
    const CBoxRect across = TextBoxRect(run, TextFlow::Horizontal);
    EXPECT_EQ(across.left, 100);
    EXPECT_EQ(across.top, 200);
    EXPECT_EQ(across.right, 1140);
    EXPECT_EQ(across.bottom, 440);
    const CBoxRect up = TextBoxRect(run, TextFlow::Upward);
    EXPECT_EQ(up.top, -40);
    EXPECT_EQ(up.right, 900);
    EXPECT_EQ(up.bottom, 440);
    const CBoxRect down = TextBoxRect(run, TextFlow::Downward);
    EXPECT_EQ(down.top, 200);
    EXPECT_EQ(down.bottom, 680);
}
