// The thumbnail progress window's state without a window: the bar shows for
// more than one movie, the fraction and caption follow the run, and Stop
// acts once and is disabled from then on. Through the window, Stop ends the
// run the window shows, and only that one.
#include <gtest/gtest.h>

#include <memory>

#include "ToolsTestSupport.h"
#include "platform/forms/CommandButton.h"
#include "player/movie/Thumbnails.h"
#include "tools/thumbnails/ShotProgress.h"
#include "tools/thumbnails/frmShot.h"

TEST(ShotProgressTest, BarStepsAndStop) {
  EXPECT_FALSE(tools::ShotProgress(1).BarVisible());
  tools::ShotProgress p(4);
  EXPECT_TRUE(p.BarVisible());
  p.Step(1, 4, player::ThumbnailCaption(1, 4), L"C:\\a.swf");
  EXPECT_FLOAT_EQ(p.Fraction(), 0.25f);
  EXPECT_EQ(p.Caption(), L"Creating 1 of 4");
  EXPECT_EQ(p.Status(), L"C:\\a.swf");
  EXPECT_TRUE(p.Stop());
  EXPECT_FALSE(p.StopEnabled());
  EXPECT_FALSE(p.Stop()) << "a second press does nothing";
}

TEST(ShotProgressTest, TheWindowsStopEndsOnlyTheRunItShows) {
  tools_test::ProgramState state;
  std::unique_ptr<player::ThumbnailProgress> first = tools::OpenShotProgress(3);
  ASSERT_TRUE(tools::ShotWindow().IsLoaded());
  EXPECT_FALSE(first->StopPressed());
  tools::ShotWindow().cbCancel_Click();
  EXPECT_TRUE(first->StopPressed());
  EXPECT_TRUE(*first->StopFlag()) << "a snapshot under way sees it";
  first.reset();
  EXPECT_FALSE(tools::ShotWindow().IsLoaded());

  std::unique_ptr<player::ThumbnailProgress> second = tools::OpenShotProgress(2);
  EXPECT_FALSE(second->StopPressed()) << "the next run starts afresh";
  EXPECT_TRUE(tools::ShotWindow().cbCancel->Enabled());
  second.reset();
  EXPECT_FALSE(tools::ShotWindow().IsLoaded());
}
