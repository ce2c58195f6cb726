// The JPEG writer's queue: every picture queued becomes its file by Drain,
// as it was when queued; a file that cannot be written is told with its
// reason and leaves what was there; the queue serves again after a Drain.
#include <gtest/gtest.h>

#include <cstring>

#include "ImageTestSupport.h"
#include "support/TestSupport.h"
#include "images/JpegWriteQueue.h"
#include "images/cDIBSection.h"

using namespace imgtest;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

void Fill(cDIBSection& dib, uint8_t b, uint8_t g, uint8_t r) {
  for (long y = 0; y < dib.Height(); ++y) {
    uint8_t* row = dib.DIBSectionBitsPtr() + y * dib.BytesPerScanLine();
    for (long x = 0; x < dib.Width(); ++x) row[3 * x] = b, row[3 * x + 1] = g, row[3 * x + 2] = r;
  }
}

bool NearColour(const Image& img, uint8_t b, uint8_t g, uint8_t r) {
  const uint8_t* p = &img.bgra[(static_cast<size_t>(img.height / 2) * img.width + img.width / 2) * 4];
  return std::abs(p[0] - b) < 10 && std::abs(p[1] - g) < 10 && std::abs(p[2] - r) < 10;
}

}  // namespace

TEST(JpegWriteQueue, EveryPictureBecomesItsFileAsItWasWhenQueued) {
  TempDir dir;
  JpegWriteQueue queue(2);
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(30, 20));
  // More pictures than the queue holds; each drawn over the last as soon as it is queued.
  for (int i = 0; i < 12; ++i) {
    Fill(dib, static_cast<uint8_t>(i * 20), 100, static_cast<uint8_t>(240 - i * 20));
    EXPECT_TRUE(queue.Add(dib, dir.File(L"p" + std::to_wstring(i) + L".jpg"), 90));
  }
  Fill(dib, 0, 0, 0);
  EXPECT_TRUE(queue.Drain().empty());
  for (int i = 0; i < 12; ++i) {
    const Image img = WicDecode(dir.File(L"p" + std::to_wstring(i) + L".jpg"));
    ASSERT_TRUE(img.ok) << i;
    EXPECT_EQ(std::pair(img.width, img.height), std::pair(30, 20));
    EXPECT_TRUE(NearColour(img, static_cast<uint8_t>(i * 20), 100, static_cast<uint8_t>(240 - i * 20))) << i;
  }

  // After a Drain the queue takes pictures again.
  EXPECT_TRUE(queue.Add(dib, dir.File(L"again.jpg"), 90));
  EXPECT_TRUE(queue.Drain().empty());
  EXPECT_TRUE(WicDecode(dir.File(L"again.jpg")).ok);
}

TEST(JpegWriteQueue, FilesThatCannotBeWrittenAreToldAndLeaveWhatWasThere) {
  TempDir dir;
  JpegWriteQueue queue;
  cDIBSection dib, empty;
  ASSERT_TRUE(dib.Create(8, 8));
  const std::wstring taken = dir.File(L"taken.jpg");
  CreateDirectoryW(taken.c_str(), nullptr);
  const std::wstring kept = dir.File(L"kept.jpg");
  WriteBytes(kept, {1, 2, 3});
  EXPECT_TRUE(queue.Add(dib, taken, 80));
  EXPECT_TRUE(queue.Add(dib, dir.File(L"good.jpg"), 80));
  EXPECT_TRUE(queue.Add(empty, kept, 80));
  const std::vector<JpegWriteQueue::Failure> failed = queue.Drain();
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_EQ(failed[0].target, taken);
  EXPECT_NE(failed[0].reason.find(L"can't be replaced"), std::wstring::npos) << failed[0].reason;
  EXPECT_EQ(failed[1].target, kept);
  EXPECT_FALSE(failed[1].reason.empty());
  EXPECT_EQ(ReadBytes(kept), (Bytes{1, 2, 3}));
  EXPECT_EQ(ReadBytes(dir.File(L"good.jpg"))[0], 0xFF);
  EXPECT_TRUE(queue.Drain().empty()) << "each failure is told once";
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir.Path() + L"*.tmp").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "no temporary file left";
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}
