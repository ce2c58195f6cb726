// The playlist without a window: what it adds (by extension, projector rule
// and depth), its files (written with every special character escaped, read
// with script statements and control characters left out), folders (the
// system's order, hidden entries and link loops), moves, removals and clears
// with the menus that follow the list and the remembered history.
#include <gtest/gtest.h>
#include <windows.h>

#include "PlaylistFakes.h"
#include "base/Handles.h"
#include "player/PlaylistFile.h"
#include "services/AppIdentity.h"
#include "services/XmlDocument.h"

using namespace player_test;
using Names = std::vector<std::wstring>;

namespace {

std::wstring Binary(const wchar_t* name) { return testing_support::ProgramDir() + name; }

}  // namespace

TEST(PlaylistAdding, TakesMoviesVideosPlaylistsAndProjectorsBySettingAndSkipsTheRest) {
  struct Case {
    const wchar_t* name;
    int depth;
    bool genericOnly, taken;
  } cases[] = {
      {L"a.SWF", 0, true, true},          {L"b.Flv", 0, true, true},
      {L"c.swfzel", 1, true, true},       // a playlist file deeper down is an entry
      {L"notes.txt", 0, true, false},     {L"generic.exe", 0, true, true},
      {L"other.exe", 0, true, false},     {L"other.exe", 0, false, true},
      {L"missing.swf", 0, true, true},    // no file yet: played, it says so
  };
  for (const Case& c : cases) {
    PlaylistRig rig;
    const std::wstring path = rig.dir.File(c.name);
    if (std::wstring(c.name) == L"generic.exe")
      CopyFileW(Binary(L"Media\\Binary\\projector.dll").c_str(), path.c_str(), FALSE);
    else if (std::wstring(c.name) == L"other.exe")
      CopyFileW(Binary(L"VersionFull.exe").c_str(), path.c_str(), FALSE);
    else if (std::wstring(c.name) != L"missing.swf")
      rig.File(c.name);
    rig.host.genericOnly = c.genericOnly;
    rig.list.Add(path, c.depth);
    EXPECT_EQ(rig.items, c.taken ? Names{path} : Names{}) << c.name;
    EXPECT_EQ(rig.host.rows, c.taken ? 1 : 0) << c.name;
    EXPECT_EQ(rig.host.exportOn, c.taken) << c.name;
  }
}

TEST(PlaylistAdding, MenusFollowAddsRemovalsAndClear) {
  PlaylistRig rig;
  rig.list.Add(rig.File(L"one.swf"), 0);
  EXPECT_TRUE(rig.host.exportOn);
  EXPECT_FALSE(rig.host.nextOn);
  rig.list.Add(rig.File(L"two.swf"), 0);
  EXPECT_TRUE(rig.host.nextOn);
  rig.list.RemoveItem(0);
  EXPECT_FALSE(rig.host.nextOn) << "one entry left: no Next";
  EXPECT_TRUE(rig.host.exportOn);
  rig.list.Add(rig.File(L"three.swf"), 0);
  rig.list.Clear();
  EXPECT_FALSE(rig.host.exportOn || rig.host.nextOn);
  EXPECT_EQ(rig.host.rows, 0);
  EXPECT_EQ(rig.last, -1);
}

TEST(PlaylistFiles, SavedPathsReadBackAsTheyStandUnderAMarkedRoot) {
  PlaylistRig rig;
  rig.items = {L"C:\\m\\Tom & Jerry.swf", L"C:\\m\\a<b>.swf", L"C:\\m\\say \"hi\".swf", L"C:\\m\\a&#38;b.swf",
               L"C:\\m\\R&#D.swf"};
  rig.last = 4;
  rig.current = 1;
  const Names kept = rig.items;
  rig.items.push_back(L"C:\\m\\no\xFFFF.swf");  // no character XML can hold: left out, the rest kept
  rig.last = 5;
  const std::wstring saved = rig.dir.File(L"list");
  ASSERT_TRUE(rig.list.Save(saved));
  const std::wstring file = saved + L".swfzel";  // a name without extension gets the playlist's
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(file));
  EXPECT_EQ(doc.Root().NodeName(), L"PLAYLIST");
  EXPECT_EQ(doc.Root().Attribute(L"app"), L"SWF.zel");
  EXPECT_EQ(doc.Root().Attribute(L"build"), L"680");
  EXPECT_EQ(doc.Root().Attribute(L"play"), L"1");
  EXPECT_EQ(player::ReadPlaylistFile(file, app::kVersionRevision).Entries, kept);
  EXPECT_EQ(player::EscapeXmlText(L"&#38;<\">"), L"&#38;#38;&#60;&#34;&#62;");
}

TEST(PlaylistFiles, ReadingTakesOnlyFilePathsFromACompatibleFile) {
  const std::string build = std::to_string(app::kVersionRevision);
  const std::string newer = std::to_string(app::kVersionRevision + 1);
  struct Case {
    const char* what;
    std::vector<std::string> entries;
    std::string build;
    Names names;        // what the list holds afterwards (folder part taken off)
    bool recorded;      // the playlist file joins the recent files
    const wchar_t* log;
  } cases[] = {
      {"a relative entry, one with dots", {"sub\\x.swf", "sub\\..\\y.swf"}, "680", {L"sub\\x.swf", L"y.swf"}, true,
       nullptr},
      {"script statements", {"/exec Uninstall '.swf", "/EXEC Quit", "  /exec Quit", "z.swf"}, "680", {L"z.swf"},
       true, nullptr},
      {"control characters", {"a&#9;b.swf", "c&#13;.swf", "ok.swf"}, "680", {L"ok.swf"}, true, nullptr},
      {"comments, blank text, any element name", {}, build, {L"e.swf"}, true, nullptr},
      {"a newer build", {"n.swf"}, newer, {}, false, L"PL Version is incompatible"},
      {"no build", {"n.swf"}, "", {}, false, L"PL Version is incompatible"},
      {"a build that is no number", {"n.swf"}, "x1", {}, false, L"PL Version is incompatible"},
  };
  for (const Case& c : cases) {
    PlaylistRig rig;
    std::wstring file;
    if (std::string(c.what).rfind("comments", 0) == 0) {  // written by hand: no FILE elements
      file = rig.File(L"list.swfzel",
                      "<?xml version=\"1.0\"?><PLAYLIST build=\"" + c.build +
                          "\">\r\n<!-- a.swf -->\r\n\t \r\n<ENTRY>e.swf</ENTRY><FILE></FILE></PLAYLIST>");
    } else if (c.build.empty()) {
      file = rig.File(L"list.swfzel", "<?xml version=\"1.0\"?><PLAYLIST><FILE>n.swf</FILE></PLAYLIST>");
    } else {
      file = rig.PlaylistOf(L"list.swfzel", c.entries, c.build);
    }
    LogLines log;
    rig.list.Add(file, 0);
    EXPECT_EQ(rig.Names(), c.names) << c.what;
    EXPECT_EQ(rig.host.recent, c.recorded ? Names{file} : Names{}) << c.what;
    if (c.log) EXPECT_TRUE(log.Has(c.log)) << c.what;
  }
  PlaylistRig broken;
  LogLines log;
  broken.list.Add(broken.File(L"broken.swfzel", "<PLAYLIST build=\"680\"><FILE>a.swf</PLAYLIST>"), 0);
  EXPECT_TRUE(broken.items.empty());
  EXPECT_TRUE(broken.host.recent.empty());
  EXPECT_TRUE(log.Has(L"Failed to load PL XML"));
}

TEST(PlaylistDepth, HistoryOpensNestedPlaylistsAGivenPlaylistAndAFolderListThem) {
  PlaylistRig rig;
  const std::wstring inner = rig.PlaylistOf(L"inner.swfzel", {"deep.swf"});
  const std::wstring outer = rig.PlaylistOf(L"outer.swfzel", {"inner.swfzel", "top.swf"});
  const std::wstring history = rig.PlaylistOf(L"history.swfzel", {"outer.swfzel"});
  struct Case {
    std::wstring path;
    int depth;
    Names names;
  } cases[] = {
      {history, player::kHistoryDepth, {L"deep.swf", L"top.swf"}},  // opened at -1 and 0
      {outer, 0, {L"inner.swfzel", L"top.swf"}},                     // nested one: an entry
  };
  for (const Case& c : cases) {
    rig.list.Clear();
    rig.list.Add(c.path, c.depth);
    EXPECT_EQ(rig.Names(), c.names) << c.depth;
  }
  PlaylistRig folder;
  folder.PlaylistOf(L"in\\list.swfzel", {"x.swf"});
  folder.list.Add(folder.dir.File(L"in"), 0);
  EXPECT_EQ(folder.Names(), Names{L"in\\list.swfzel"});

  PlaylistRig empty;
  empty.list.Add(empty.Folder(L"nothing"), 0);
  EXPECT_TRUE(empty.items.empty());
  EXPECT_EQ(empty.host.rowCalls, 0);
  EXPECT_FALSE(empty.host.exportOn);
}

TEST(PlaylistFolders, SystemOrderSubFoldersWhereTheyComeNoHiddenAndALinkLoopEnds) {
  PlaylistRig rig;
  for (const wchar_t* name : {L"tree\\b.swf", L"tree\\A.swf", L"tree\\m\\x.swf", L"tree\\m\\n\\y.flv",
                              L"tree\\z.swf", L"tree\\notes.txt", L"tree\\hidden.swf"})
    rig.File(name);
  SetFileAttributesW(rig.dir.File(L"tree\\hidden.swf").c_str(), FILE_ATTRIBUTE_HIDDEN);
  const Names expected{L"tree\\A.swf", L"tree\\b.swf", L"tree\\m\\n\\y.flv", L"tree\\m\\x.swf", L"tree\\z.swf"};
  rig.list.Add(rig.dir.File(L"tree"), 0);
  EXPECT_EQ(rig.Names(), expected);
  EXPECT_EQ(rig.host.rowCalls, 1) << "one add, the rows added at once";

  if (!testing_support::MakeDirectoryLink(rig.dir.File(L"tree\\m\\n\\loop"), rig.dir.File(L"tree")))
    GTEST_SKIP() << "no directory links on this system";
  rig.list.Clear();
  rig.list.Add(rig.dir.File(L"tree\\"), 0);
  testing_support::RemoveDirectoryLink(rig.dir.File(L"tree\\m\\n\\loop"));
  EXPECT_EQ(rig.Names(), expected);
}

TEST(PlaylistMoves, OutOfRangeDoesNothingAndThePlayingMarkFollowsItsFile) {
  struct Case {
    int index, delta;
    Names order;
    long current;  // the playing entry ("c" at 2 before)
  } cases[] = {
      {0, -1, {L"a", L"b", L"c", L"d"}, 2}, {3, 1, {L"a", L"b", L"c", L"d"}, 2},
      {7, -1, {L"a", L"b", L"c", L"d"}, 2}, {1, 1, {L"a", L"c", L"b", L"d"}, 1},
      {2, 1, {L"a", L"b", L"d", L"c"}, 3},  {0, 3, {L"d", L"b", L"c", L"a"}, 2},
  };
  for (const Case& c : cases) {
    PlaylistRig rig;
    rig.items = {L"a", L"b", L"c", L"d"};
    rig.last = 3;
    rig.current = 2;
    rig.list.MoveItem(c.index, c.delta);
    EXPECT_EQ(rig.items, c.order) << c.index << c.delta;
    EXPECT_EQ(rig.current, c.current) << c.index << c.delta;
  }
}

TEST(PlaylistRemovals, RowsMapToIndicesThePlayingMarkFollowsAndTheLastLeavesTheEmptyState) {
  EXPECT_EQ(player::RemovalOrder({1, 2, 4}), (std::vector<int>{1, 1, 2}));
  EXPECT_EQ(player::RemovalOrder({4, 2, -1, 1, 2}), (std::vector<int>{1, 1, 2}));

  PlaylistRig rig;
  for (const wchar_t* name : {L"a.swf", L"b.swf", L"c.swf", L"d.swf", L"e.swf"}) rig.list.Add(rig.File(name), 0);
  rig.current = 3;
  rig.list.RemoveRows({1, 2, 4});
  EXPECT_EQ(rig.Names(), (Names{L"a.swf", L"d.swf"}));
  EXPECT_EQ(rig.current, 1) << "d.swf still plays";
  EXPECT_EQ(rig.host.rows, 2);
  rig.list.RemoveItem(1);
  EXPECT_EQ(rig.current, -1) << "the playing entry went: no row is marked";
  rig.list.Add(rig.File(L"f.swf"), 0);
  EXPECT_EQ(rig.current, -1) << "nor the next one added";
  rig.list.RemoveItem(1);
  rig.list.RemoveItem(0);
  EXPECT_EQ(rig.last, -1);
  EXPECT_FALSE(rig.host.exportOn || rig.host.nextOn);
  EXPECT_EQ(GetFileAttributesW(rig.host.history.c_str()), INVALID_FILE_ATTRIBUTES) << "no history written";
  rig.list.RemoveItem(0);  // nothing left: nothing happens
  EXPECT_EQ(rig.last, -1);
}

TEST(PlaylistPlaying, PlaysAnEntryReplaysTheCurrentAndBrowsesWithoutOne) {
  PlaylistRig rig;
  const std::wstring a = rig.File(L"a.swf"), b = rig.File(L"b.swf");
  rig.list.Add(a, 0);
  rig.list.Add(b, 0);
  rig.list.PlayItem(1);
  rig.list.PlayItem(-2);
  EXPECT_EQ(rig.host.loaded, (Names{b, b}));
  EXPECT_EQ(rig.host.selected, 1);
  rig.list.PlayItem(5);
  EXPECT_EQ(rig.current, -1);
  EXPECT_EQ(rig.host.browsed, 1);
  EXPECT_EQ(rig.host.selected, -1);
}

TEST(PlaylistClear, WritesTheHistoryOnlyForAListWhileKeptAndAFailedWriteKeepsTheOldFile) {
  struct Case {
    bool entries, keep, written;
  } cases[] = {{false, true, false}, {true, true, true}, {true, false, false}};
  for (const Case& c : cases) {
    PlaylistRig rig;
    rig.host.keepHistory = c.keep;
    if (c.entries) rig.list.Add(rig.File(L"kept & played.swf"), 0);
    rig.list.Clear();
    const auto read = player::ReadPlaylistFile(rig.host.history, app::kVersionRevision);
    EXPECT_EQ(read.Status == player::PlaylistFileStatus::Read, c.written) << c.entries << c.keep;
    if (c.written) EXPECT_EQ(read.Entries, Names{rig.dir.File(L"kept & played.swf")});
  }
  PlaylistRig rig;
  const std::vector<uint8_t> old{'o', 'l', 'd', 0, 1, 2};
  ASSERT_TRUE(testing_support::WriteBytes(rig.host.history, old));
  rig.list.Add(rig.File(L"x.swf"), 0);
  LogLines log;
  {
    // Held open by another program that lets nobody replace it.
    ScopedHandle held(CreateFileW(rig.host.history.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    rig.list.Clear();
  }
  EXPECT_EQ(testing_support::ReadBytes(rig.host.history), old);
  EXPECT_TRUE(log.Has(L"Saving Playlist"));
  WIN32_FIND_DATAW fd;
  ScopedFind left(FindFirstFileW(rig.dir.File(L"*.tmp").c_str(), &fd));
  EXPECT_FALSE(left) << "the new file written beside is gone";
}

TEST(PlaylistOpenDialog, OneFileOrAFolderWithNamesSkippingEmptyOnes) {
  using player::ChosenFiles;
  auto joined = [](std::initializer_list<const wchar_t*> parts) {
    std::wstring text;
    for (const wchar_t* part : parts) text += std::wstring(part) + L'\0';
    return text;
  };
  EXPECT_EQ(ChosenFiles(joined({L"C:\\m\\a.swf"}), L"a.swf"), Names{L"C:\\m\\a.swf"});
  EXPECT_EQ(ChosenFiles(joined({L"C:\\m", L"a.swf", L"", L"b.flv", L""}), L""),
            (Names{L"C:\\m\\a.swf", L"C:\\m\\b.flv"}));
  EXPECT_TRUE(ChosenFiles(L"", L"").empty());
}
