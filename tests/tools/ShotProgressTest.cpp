// The thumbnail progress window's state without a window: the bar shows for
// more than one movie, the fraction and caption follow the run, and Stop
// sets the shared cancel flag once and is disabled from then on.
#include <gtest/gtest.h>

#include "player/movie/Thumbnails.h"
#include "tools/thumbnails/ShotProgress.h"

TEST(ShotProgressTest, BarStepsAndStop) {
  EXPECT_FALSE(tools::ShotProgress(1).BarVisible());
  tools::ShotProgress p(4);
  EXPECT_TRUE(p.BarVisible());
  p.Step(1, 4, player::ThumbnailCaption(1, 4), L"C:\\a.swf");
  EXPECT_FLOAT_EQ(p.Fraction(), 0.25f);
  EXPECT_EQ(p.Caption(), L"Creating 1 of 4");
  EXPECT_EQ(p.Status(), L"C:\\a.swf");
  player::CancelShots = false;
  p.Stop();
  EXPECT_TRUE(player::CancelShots);
  EXPECT_FALSE(p.StopEnabled());
  player::CancelShots = false;
  p.Stop();  // a second press does nothing
  EXPECT_FALSE(player::CancelShots);
}
