// The playlist without a window: what it takes (by extension, projector rule
// and depth), its files (every special character escaped; only file paths
// read back), folders (the system's order, no hidden entries, link loops),
// moves, removals and clears with the menus that follow the list and the
// remembered history.
#include <gtest/gtest.h>
#include <windows.h>

#include "PlaylistFakes.h"
#include "base/Handles.h"
#include "base/TextConv.h"
#include "player/lists/PlaylistFile.h"
#include "services/AppIdentity.h"
#include "services/XmlDocument.h"

using namespace player_test;

TEST(PlaylistAdding, ExtensionsAnyCaseProjectorsBySettingAndTheMenusThatFollow) {
  struct Case {
    const wchar_t *name, *copyOf;
    int depth;
    bool genericOnly, taken;
  } cases[] = {
      {L"a.SWF", nullptr, 0, true, true},       {L"b.Flv", nullptr, 0, true, true},
      {L"c.swfzel", nullptr, 1, true, true},    {L"notes.txt", nullptr, 0, true, false},
      {L"gen.exe", L"Media\\Binary\\projector.dll", 0, true, true},
      {L"other.exe", L"VersionFull.exe", 0, true, false}, {L"other.exe", L"VersionFull.exe", 0, false, true},
  };
  for (const Case& c : cases) {
    PlaylistRig rig;
    const std::wstring path = rig.dir.File(c.name);
    if (c.copyOf)
      CopyFileW((testing_support::ProgramDir() + c.copyOf).c_str(), path.c_str(), FALSE);
    else
      rig.File(c.name);
    rig.host.genericOnly = c.genericOnly;
    rig.list.Add(path, c.depth);
    EXPECT_EQ(rig.items, c.taken ? Names{path} : Names{}) << c.name;
    EXPECT_EQ(rig.host.rows == 1 && rig.host.exportOn, c.taken) << c.name;
  }
  PlaylistRig rig;
  rig.list.Add(rig.File(L"one.swf"), 0);
  EXPECT_TRUE(rig.host.exportOn && !rig.host.nextOn);
  rig.list.Add(rig.File(L"two.swf"), 0);
  EXPECT_TRUE(rig.host.nextOn);
  rig.list.RemoveItem(0);
  EXPECT_TRUE(rig.host.exportOn && !rig.host.nextOn) << "every removal updates Next";
  rig.list.Clear();
  EXPECT_FALSE(rig.host.exportOn || rig.host.nextOn);
  EXPECT_EQ(rig.host.rows, 0);
}

TEST(PlaylistFiles, PathsReadBackAsTheyStandUnderAMarkedRoot) {
  PlaylistRig rig;
  const Names kept{L"C:\\m\\Tom & Jerry.swf", L"C:\\m\\a<b>.swf", L"C:\\m\\say \"hi\".swf", L"C:\\m\\a&#38;b.swf",
                   L"C:\\m\\R&#D.swf"};
  rig.items = kept;
  rig.items.push_back(L"C:\\m\\no\xFFFF.swf");  // a character XML cannot hold: left out, the rest kept
  rig.last = 5;
  rig.current = 1;
  ASSERT_TRUE(rig.list.Save(rig.dir.File(L"list")));  // a name without extension gets the playlist's
  const std::wstring file = rig.dir.File(L"list.swfzel");
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(file));
  EXPECT_EQ(doc.Root().NodeName(), L"PLAYLIST");
  EXPECT_EQ(doc.Root().Attribute(L"app") + L" " + doc.Root().Attribute(L"build") + L" " + doc.Root().Attribute(L"play"),
            L"SWF.zel 680 1");
  EXPECT_EQ(player::ReadPlaylistFile(file, app::kVersionRevision).Entries, kept);
}

TEST(PlaylistFiles, OnlyFilePathsAreTakenAndOnlyFromACompatibleFile) {
  const std::string newer = std::to_string(app::kVersionRevision + 1);
  struct Case {
    const char* what;
    std::string body;  // inside the root, whose build is given
    std::string build;
    Names names;
  } cases[] = {
      {"relative entries", "<FILE>sub\\x.swf</FILE><FILE>sub\\..\\y.swf</FILE>", "680", {L"sub\\x.swf", L"y.swf"}},
      {"rooted entries, dots resolved", "<FILE>@sub\\..\\r.swf</FILE><FILE>@.\\s.swf</FILE>", "680",
       {L"r.swf", L"s.swf"}},
      {"rooted entries, separators and trailing dots as the full form has them",
       "<FILE>@x.swf.</FILE><FILE>@sub\\\\u.swf</FILE><FILE>@sub/v.swf</FILE><FILE>@sub\\w.swf</FILE>", "680",
       {L"x.swf", L"sub\\u.swf", L"sub\\v.swf", L"sub\\w.swf"}},
      {"script statements", "<FILE>/exec Uninstall '.swf</FILE><FILE> /EXEC Quit</FILE><FILE>z.swf</FILE>", "680",
       {L"z.swf"}},
      {"control characters", "<FILE>a&#9;b.swf</FILE><FILE>c&#13;.swf</FILE><FILE>ok.swf</FILE>", "680",
       {L"ok.swf"}},
      {"comments, blank text, any element name", "<!-- a.swf -->\r\n\t <ENTRY>e.swf</ENTRY><FILE> </FILE>",
       std::to_string(app::kVersionRevision), {L"e.swf"}},
      {"a newer build", "<FILE>n.swf</FILE>", newer, {}},
      {"no build", "<FILE>n.swf</FILE>", "", {}},
  };
  for (const Case& c : cases) {
    PlaylistRig rig;
    const std::string build = c.build.empty() ? "" : " build=\"" + c.build + "\"";
    // "@" stands for the test's folder, written out as a rooted path.
    std::string body = c.body;
    for (size_t at = body.find('@'); at != std::string::npos; at = body.find('@', at))
      body.replace(at, 1, WideToUtf8(rig.dir.Path()));
    const std::wstring file = rig.File(L"list.swfzel", "<?xml version=\"1.0\"?><PLAYLIST" + build + ">" + body +
                                                           "</PLAYLIST>");
    const bool compatible = !c.names.empty();
    LogLines log;
    rig.list.Add(file, 0);
    EXPECT_EQ(rig.Relative(), c.names) << c.what;
    EXPECT_EQ(rig.host.recent, compatible ? Names{file} : Names{}) << c.what;
    EXPECT_EQ(log.Has(L"PL Version is incompatible"), !compatible) << c.what;
  }
  PlaylistRig broken;
  LogLines log;
  broken.list.Add(broken.File(L"broken.swfzel", "<PLAYLIST build=\"680\"><FILE>a.swf</PLAYLIST>"), 0);
  EXPECT_TRUE(broken.items.empty() && broken.host.recent.empty());
  EXPECT_TRUE(log.Has(L"Failed to load PL XML"));
}

TEST(PlaylistDepth, HistoryOpensNestedPlaylistsAGivenPlaylistAndAFolderListThemAnEmptyFolderAddsNothing) {
  PlaylistRig rig;
  rig.PlaylistOf(L"inner.swfzel", {"deep.swf"});
  const std::wstring outer = rig.PlaylistOf(L"outer.swfzel", {"inner.swfzel", "top.swf"});
  rig.list.Add(rig.PlaylistOf(L"history.swfzel", {"outer.swfzel"}), player::kHistoryDepth);
  EXPECT_EQ(rig.Relative(), (Names{L"deep.swf", L"top.swf"})) << "opened at -1 and 0";
  rig.list.Clear();
  rig.list.Add(outer, 0);
  EXPECT_EQ(rig.Relative(), (Names{L"inner.swfzel", L"top.swf"})) << "deeper down: an entry";
  rig.list.Clear();
  rig.PlaylistOf(L"in\\list.swfzel", {"x.swf"});
  rig.list.Add(rig.dir.File(L"in"), 0);
  EXPECT_EQ(rig.Relative(), Names{L"in\\list.swfzel"});

  PlaylistRig empty;
  CreateDirectoryW(empty.dir.File(L"nothing").c_str(), nullptr);
  empty.list.Add(empty.dir.File(L"nothing"), 0);
  EXPECT_TRUE(empty.items.empty());
  EXPECT_EQ(empty.host.rowCalls, 0);
  EXPECT_FALSE(empty.host.exportOn);
}

// No road into the playlist takes a script statement, however it ends.
TEST(PlaylistAdding, AStatementIsNeverAnEntry) {
  PlaylistRig rig;
  const std::wstring statement = L"/exec CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(\"x\") '.swf";
  rig.list.Add(statement, 0);
  rig.list.Add(L"\"" + statement + L"\"", 0);
  rig.list.Add(Names{L"/EXEC Quit '.flv", rig.File(L"kept.swf")}, 0);
  rig.list.Add(L"/exec Quit '.swfzel", player::kHistoryDepth);
  EXPECT_EQ(rig.Relative(), Names{L"kept.swf"});
}

// Playlists that name themselves or each other are each read once in one
// add and are no entries of it once read, so the remembered list, read at
// the next start, stays as it was saved.
TEST(PlaylistDepth, EachPlaylistFileIsReadOnceInOneAdd) {
  PlaylistRig rig;
  const std::vector<std::string> self{"a.swf", "self.swfzel", "self.swfzel", "self.swfzel", "self.swfzel", "SELF.swfzel"};
  const std::wstring list = rig.PlaylistOf(L"self.swfzel", self);
  rig.list.Add(list, 0);
  const Names first = rig.Relative();
  EXPECT_EQ(first, Names{L"a.swf"}) << "read, it is no entry of its own";
  // Three starts: the history written, then read back at -2 before the same list is given again.
  for (int start = 0; start < 3; ++start) {
    rig.list.Clear();
    rig.list.Add(rig.host.history, player::kHistoryDepth);
    EXPECT_EQ(rig.Relative(), first) << start;
    rig.list.Clear();
    rig.list.Add(list, 0);
    EXPECT_EQ(rig.Relative(), first) << start;
  }
  // Two naming each other, and the history naming itself; a playlist met
  // deeper down before it is read stays an entry.
  rig.PlaylistOf(L"one.swfzel", {"x.swf", "two.swfzel"});
  rig.PlaylistOf(L"two.swfzel", {"y.swf", "one.swfzel", ".\\one.swfzel", "three.swfzel"});
  rig.list.Clear();
  rig.list.Add(rig.PlaylistOf(L"Last Played.swfzel", {"one.swfzel", "two.swfzel", "Last Played.swfzel"}),
               player::kHistoryDepth);
  EXPECT_EQ(rig.Relative(), (Names{L"x.swf", L"y.swf", L"three.swfzel"}));
}

// One add makes at most 10,000 entries (one command line, one playlist of
// many or several lists given together); the rest is left out and logged. A
// playlist file over 32 MB is not read, and the log says why.
TEST(PlaylistLimits, TenThousandEntriesAnAddAndNoFileOver32MB) {
  PlaylistRig rig;
  std::vector<std::string> many;
  for (int i = 0; i < 6000; ++i) many.push_back("m" + std::to_string(i) + ".swf");
  const std::wstring a = rig.PlaylistOf(L"a.swfzel", many), b = rig.PlaylistOf(L"b.swfzel", many);
  {
    LogLines log;
    rig.list.Add(Names{a, b}, 0);
    EXPECT_EQ(rig.items.size(), player::kMaxEntriesPerAdd);
    EXPECT_EQ(rig.items.back(), rig.dir.File(L"m3999.swf"));
    EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(), [](const std::wstring& l) {
      return l.find(L"10000 entries in one add") != std::wstring::npos;
    }));
  }
  rig.list.Add(a, 0);
  EXPECT_EQ(rig.items.size(), player::kMaxEntriesPerAdd + 6000) << "a next add has its own limit";

  PlaylistRig big;
  std::string text = "<?xml version=\"1.0\"?><PLAYLIST build=\"680\"><FILE>a.swf</FILE><!-- ";
  const std::string end = " --></PLAYLIST>";
  text.append(static_cast<size_t>(player::kMaxPlaylistFileBytes) + 1 - text.size() - end.size(), 'x');
  text += end;
  const std::wstring file = big.File(L"big.swfzel", text);
  LogLines log;
  big.list.Add(file, 0);
  EXPECT_TRUE(big.items.empty());
  EXPECT_EQ(player::ReadPlaylistFile(file, app::kVersionRevision).Status, player::PlaylistFileStatus::TooLarge);
  EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(), [](const std::wstring& l) {
    return l.find(L"larger than 32 MB") != std::wstring::npos;
  }));
}

TEST(PlaylistFolders, SystemOrderSubFoldersWhereTheyComeNoHiddenAndALinkLoopEnds) {
  PlaylistRig rig;
  for (const wchar_t* name : {L"t\\b.swf", L"t\\A.swf", L"t\\m\\x.swf", L"t\\m\\n\\y.flv", L"t\\z.swf",
                              L"t\\notes.txt", L"t\\hidden.swf"})
    rig.File(name);
  SetFileAttributesW(rig.dir.File(L"t\\hidden.swf").c_str(), FILE_ATTRIBUTE_HIDDEN);
  const Names expected{L"t\\A.swf", L"t\\b.swf", L"t\\m\\n\\y.flv", L"t\\m\\x.swf", L"t\\z.swf"};
  rig.list.Add(rig.dir.File(L"t"), 0);
  EXPECT_EQ(rig.Relative(), expected);
  EXPECT_EQ(rig.host.rowCalls, 1) << "the rows of one add come at once";

  if (!testing_support::MakeDirectoryLink(rig.dir.File(L"t\\m\\n\\loop"), rig.dir.File(L"t")))
    GTEST_SKIP() << "no directory links on this system";
  rig.list.Clear();
  rig.list.Add(rig.dir.File(L"t\\"), 0);
  testing_support::RemoveDirectoryLink(rig.dir.File(L"t\\m\\n\\loop"));
  EXPECT_EQ(rig.Relative(), expected);
}

TEST(PlaylistMoves, OutOfRangeDoesNothingAndThePlayingMarkFollowsItsFile) {
  struct Case {
    int index, delta;
    Names order;
    long current;  // "c", at 2 before, plays
  } cases[] = {
      {0, -1, {L"a", L"b", L"c", L"d"}, 2}, {3, 1, {L"a", L"b", L"c", L"d"}, 2}, {7, -1, {L"a", L"b", L"c", L"d"}, 2},
      {1, 1, {L"a", L"c", L"b", L"d"}, 1},  {2, 1, {L"a", L"b", L"d", L"c"}, 3},
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

TEST(PlaylistRemovals, RowsGivenTwiceOrOutsideTheListCountOnceAndTheBoxLosesItsRowsBottomUp) {
  PlaylistRig rig;
  for (const wchar_t* name : {L"a.swf", L"b.swf", L"c.swf", L"d.swf", L"e.swf"}) rig.list.Add(rig.File(name), 0);
  rig.current = 0;
  rig.list.RemoveRows({9, 3, -2, 0, 3});
  EXPECT_EQ(rig.Relative(), (Names{L"b.swf", L"c.swf", L"e.swf"}));
  EXPECT_EQ(rig.current, -1) << "the playing entry went";
  EXPECT_EQ(rig.host.removed, (std::vector<int>{3, 0}));
  EXPECT_TRUE(rig.last == 2 && rig.host.rows == 3 && rig.host.nextOn);
}

TEST(PlaylistRemovals, RowsMapToIndicesThePlayingMarkFollowsAndTheLastLeavesTheEmptyState) {
  EXPECT_EQ(player::RemovalOrder({4, 2, -1, 1, 2}), (std::vector<int>{1, 1, 2}));
  PlaylistRig rig;
  for (const wchar_t* name : {L"a.swf", L"b.swf", L"c.swf", L"d.swf", L"e.swf"}) rig.list.Add(rig.File(name), 0);
  rig.current = 3;
  rig.list.RemoveRows({1, 2, 4});
  EXPECT_EQ(rig.Relative(), (Names{L"a.swf", L"d.swf"}));
  EXPECT_EQ(rig.current, 1) << "d.swf still plays";
  rig.list.RemoveItem(1);
  EXPECT_EQ(rig.current, -1) << "the playing entry went: no row is marked";
  rig.list.Add(rig.File(L"f.swf"), 0);
  EXPECT_EQ(rig.current, -1) << "nor the next one added";
  rig.list.RemoveItem(1);
  rig.list.RemoveItem(0);
  rig.list.RemoveItem(0);
  EXPECT_TRUE(rig.last == -1 && rig.host.rows == 0 && !rig.host.exportOn && !rig.host.nextOn);
  EXPECT_EQ(GetFileAttributesW(rig.host.history.c_str()), INVALID_FILE_ATTRIBUTES) << "no history written";
}

TEST(PlaylistClear, TheHistoryOnlyForAListWhileKeptAndAFailedWriteKeepsTheOldFile) {
  struct Case {
    bool entries, keep, written;
  } cases[] = {{false, true, false}, {true, true, true}, {true, false, false}};
  for (const Case& c : cases) {
    PlaylistRig rig;
    rig.host.keepHistory = c.keep;
    if (c.entries) rig.list.Add(rig.File(L"kept & played.swf"), 0);
    rig.list.Clear();
    const auto read = player::ReadPlaylistFile(rig.host.history, app::kVersionRevision);
    EXPECT_EQ(read.Entries, c.written ? Names{rig.dir.File(L"kept & played.swf")} : Names{}) << c.entries << c.keep;
    EXPECT_EQ(read.Status == player::PlaylistFileStatus::Read, c.written) << c.entries << c.keep;
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
  EXPECT_FALSE(ScopedFind(FindFirstFileW(rig.dir.File(L"*.tmp").c_str(), &fd))) << "nothing left beside it";
}

TEST(PlaylistPlaying, AnEntryTheCurrentAgainOrTheBrowserAndTheOpenDialogsFiles) {
  PlaylistRig rig;
  const std::wstring a = rig.File(L"a.swf"), b = rig.File(L"b.swf");
  rig.list.Add(a, 0);
  rig.list.Add(b, 0);
  rig.list.PlayItem(1);
  rig.list.PlayItem(-2);
  EXPECT_EQ(rig.host.loaded, (Names{b, b}));
  rig.list.PlayItem(5);
  EXPECT_EQ(rig.current, -1);
  EXPECT_EQ(rig.host.browsed, 1);
  EXPECT_EQ(rig.host.selected, -1);

  auto nuls = [](std::initializer_list<const wchar_t*> parts) {
    std::wstring text;
    for (const wchar_t* part : parts) text += std::wstring(part) + L'\0';
    return text;
  };
  EXPECT_EQ(player::ChosenFiles(nuls({L"C:\\m\\a.swf"}), L"a.swf"), Names{L"C:\\m\\a.swf"});
  EXPECT_EQ(player::ChosenFiles(nuls({L"C:\\m", L"a.swf", L"", L"b.flv", L""}), L""),
            (Names{L"C:\\m\\a.swf", L"C:\\m\\b.flv"}));
}
