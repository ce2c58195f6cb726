#include <gtest/gtest.h>
#include <windows.h>

#include "services/AppIdentity.h"

TEST(Identity, VersionTextMatchesNumbers) {
  EXPECT_STREQ(app::kVersionText, L"SWF.zel 1.0.883");
  EXPECT_EQ(GetCurrentProcessId() != 0, true);
}
