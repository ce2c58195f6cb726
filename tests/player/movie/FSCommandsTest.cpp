// Movies talking to the player: the program's own words from its own pages
// and from any other movie, the words the option guards, EXEC's question,
// a movie's own addresses (all of them asked about once it has read a local
// file), and the numbers and truth values the arguments carry.
#include <gtest/gtest.h>

#include <cmath>

#include "PlayerFakes.h"
#include "player/movie/FSCommands.h"
#include "player/movie/PlayerNumbers.h"
#include "player/window/PostedCalls.h"

using namespace player_test;

namespace {

class FSCommands : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    host.options.CurrentFolder = L"C:\\Movies\\";
    host.state.BrowseItems = {{L"a", L"C:\\Movies\\a.swf", 1}, {L"sub", L"C:\\Movies\\sub", 3},
                              {L"c", L"C:\\Movies\\c.flv", 4}};
  }
  void TearDown() override {
    player::RunPostedCalls();  // nothing queued for this host outlives it
    PlayerFixture::TearDown();
  }
  // One command, and what it made happen once the movie's events were answered.
  Calls Send(const std::wstring& word, const std::wstring& args) {
    host.calls.clear();
    player::SWF_FSCommand(host, word, args);
    player::RunPostedCalls();
    return host.calls;
  }
};

TEST_F(FSCommands, TheProgramsOwnWordsActOnlyForItsOwnPages) {
  struct Case {
    const wchar_t* word;
    const wchar_t* args;
    Calls calls;
  } cases[] = {
      {L"meowup", L"", {L"BrowseFolder C:\\Movies\\.."}},
      {L"SHOTCLICK", L"0", {}},
      {L"SHOTCLICK", L"3", {L"PlaylistClear", L"PlaylistAdd C:\\Movies\\c.flv", L"PlayItem 0"}},
      {L"SHOTCLICK", L"4", {}},
      {L"SHOTCLICK", L"2", {L"BrowseFolder C:\\Movies\\sub"}},  // a folder leaves the playlist alone
      {L"MEOWSEARCH", L"", {L"BrowseFolder C:\\Movies\\"}},
      {L"MEOWSEARCH", L"D:\\Other", {L"BrowseFolder D:\\Other"}},
      {L"MEOWLOAD", L"D:\\x.swf", {L"PlaylistClear", L"PlaylistAdd D:\\x.swf", L"PlayItem 0"}},
      {L"MEOWMSG", L"hello", {L"Message Media Debug: hello"}},
      {L"MEOWOPEN", L"", {L"Click mnuOpen"}},
      {L"MEOWHELP", L"", {L"Click mnuHelpMe"}},
      {L"MEOWUPDATE", L"", {L"Click mnuUpd"}},
      {L"GOWEB", L"", {L"Click mnuWeb"}},
      {L"MEOWBROWSE", L"x", {L"SelectBrowseFolder x"}},
      {L"NOSUCHWORD", L"x", {}},
  };
  for (bool own : {true, false}) {
    host.state.InternalMovie = own;
    for (const Case& c : cases) EXPECT_EQ(Send(c.word, c.args), own ? c.calls : Calls{}) << c.word << " " << c.args;
  }
  // The log word always logs.
  Send(L"MeowLog", L"from anywhere");
  EXPECT_TRUE(Logged(L"Media debug :: from anywhere"));
}

TEST_F(FSCommands, BrowserPositionsAreRoundedHalvesToEven) {
  host.state.InternalMovie = true;
  struct Case {
    const wchar_t* word;
    const wchar_t* args;
    int scroll, hover;
  } cases[] = {{L"BROWSESCROLL", L"12.5", 12, 0}, {L"BROWSESCROLL", L"13.5", 14, 0}, {L"BROWSESCROLL", L"px", 0, 0},
               {L"SHOTOVER", L"2", 0, 2},         {L"SHOTOVER", L"0", 0, 0},         {L"SHOTOVER", L"9", 0, 7}};
  for (const Case& c : cases) {
    host.state.BrowseScroll = 0;
    host.state.HoverItem = 7;
    Send(c.word, c.args);
    if (std::wstring(c.word) == L"BROWSESCROLL") {
      EXPECT_EQ(host.state.BrowseScroll, c.scroll) << c.args;
    } else {
      EXPECT_EQ(host.state.HoverItem, c.hover) << c.args;
    }
  }
}

TEST_F(FSCommands, FullScreenExecAndQuitFollowTheOption) {
  struct Case {
    bool option;
    const wchar_t* word;
    const wchar_t* args;
    Calls calls;
  } cases[] = {
      {false, L"QUIT", L"", {}},
      {false, L"FULLSCREEN", L"true", {}},
      {false, L"EXEC", L"https://example.org/", {}},
      {true, L"QUIT", L"", {L"Quit Movie Request saved"}},
      {true, L"FULLSCREEN", L"TRUE", {L"FullScreen True"}},
      {true, L"FULLSCREEN", L"0", {L"FullScreen False"}},
      {true, L"FULLSCREEN", L"maybe", {}},
      {true, L"EXEC", L"https://example.org/page?a=1", {L"ShellOpen open https://example.org/page?a=1"}},
      {true, L"EXEC", L"mailto:someone@example.org", {L"ShellOpen open mailto:someone@example.org"}},
  };
  for (bool own : {false, true}) {
    host.state.InternalMovie = own;
    for (const Case& c : cases) {
      host.options.FSCommand = c.option;
      log.clear();
      EXPECT_EQ(Send(c.word, c.args), c.calls) << c.word << " " << c.args << " " << c.option;
      if (std::wstring(c.word) == L"EXEC") {
        EXPECT_TRUE(Logged(L"Movie opened: '" + std::wstring(c.args) + L"'"));
      }
    }
  }
}

// A movie asking for full screen many times a frame: a request for the state
// the window is in does nothing, and of a frame's requests only the last is
// carried out, after the frame's events.
TEST_F(FSCommands, FullScreenChangesAtMostOnceAFrame) {
  host.options.FSCommand = true;
  const auto times = [](std::vector<const wchar_t*> part, int n) {
    std::vector<const wchar_t*> out;
    for (int i = 0; i < n; ++i) out.insert(out.end(), part.begin(), part.end());
    return out;
  };
  const struct {
    bool fullBefore;
    std::vector<const wchar_t*> frame;
    Calls calls;
  } cases[] = {
      {false, times({L"true", L"false"}, 10), {}},
      {false, times({L"false", L"true"}, 10), {L"FullScreen True"}},
      {false, times({L"true"}, 5), {L"FullScreen True"}},
      {true, times({L"false", L"true"}, 10), {}},
      {true, times({L"true", L"false"}, 10), {L"FullScreen False"}},
      {true, {L"true"}, {}},
      {false, {L"false", L"maybe"}, {}},
  };
  for (const auto& c : cases) {
    host.Menu(L"mnuFullScreen").checked = c.fullBefore;
    host.calls.clear();
    for (const wchar_t* args : c.frame) player::SWF_FSCommand(host, L"FULLSCREEN", args);
    EXPECT_TRUE(host.calls.empty()) << "nothing changes while the frame's events are answered";
    player::RunPostedCalls();
    EXPECT_EQ(host.calls, c.calls) << c.fullBefore << " " << c.frame.size() << " " << c.frame.front();
    EXPECT_FALSE(host.state.FullScreenAsked.has_value());
  }
  // Frame after frame, each frame's last request counts.
  host.Menu(L"mnuFullScreen").checked = false;
  host.calls.clear();
  for (const wchar_t* args : {L"true", L"false", L"true"}) {
    player::SWF_FSCommand(host, L"FULLSCREEN", args);
    player::SWF_FSCommand(host, L"FULLSCREEN", args);
    player::RunPostedCalls();
  }
  EXPECT_EQ(host.calls, (Calls{L"FullScreen True", L"FullScreen False", L"FullScreen True"}));
}

TEST_F(FSCommands, ExecOpensAnythingButAWebAddressOnlyAfterYes) {
  const std::wstring program = L"C:\\Users\\me\\Downloads\\setup.bat";
  for (const std::wstring& target : {program, std::wstring(L"\\\\server\\share\\x.exe"), std::wstring(L"file:///C:/x"),
                                    std::wstring(L"http://x.org/\" & calc")}) {
    for (bool yes : {false, true}) {
      host.answerYes = yes;
      host.asked.clear();
      host.state.ExecDeclined = false;
      const Calls calls = Send(L"EXEC", target);
      EXPECT_NE(host.asked.find(L"\r\n" + target + L"\r\n"), std::wstring::npos) << "the question names " << target;
      EXPECT_EQ(calls, yes ? Calls{L"ShellOpen open " + target} : Calls{}) << target;
    }
  }
  host.asked.clear();
  Send(L"EXEC", L"");
  EXPECT_TRUE(host.asked.empty());

  // After a No the movie is not asked about again; web addresses still open.
  host.answerYes = false;
  Send(L"EXEC", program);
  host.asked.clear();
  host.answerYes = true;
  EXPECT_EQ(Send(L"EXEC", program), Calls{});
  EXPECT_TRUE(host.asked.empty());
  EXPECT_EQ(Send(L"EXEC", L"https://example.org/"), Calls{L"ShellOpen open https://example.org/"});
}

TEST_F(FSCommands, AMoviesAddressOpensByExecsRulesOnlyWhileTheOptionIsOn) {
  struct Case {
    bool option;
    const wchar_t* url;
    bool yes;
    bool asked;
    Calls calls;
  } cases[] = {
      {false, L"https://example.org/", true, false, {}},
      {false, L"C:\\x.bat", true, false, {}},
      {true, L"https://example.org/", false, false, {L"ShellOpen open https://example.org/"}},
      {true, L"MAILTO:me@example.org", false, false, {L"ShellOpen open MAILTO:me@example.org"}},
      {true, L"C:\\x.bat", false, true, {}},
      {true, L"C:\\x.bat", true, true, {L"ShellOpen open C:\\x.bat"}},
      {true, L"JavaScript:alert(1)", true, false, {}},
      {true, nullptr, true, false, {}},  // an address longer than the shell takes
      {true, L"", true, false, {}},
  };
  for (const Case& c : cases) {
    host.options.FSCommand = c.option;
    host.answerYes = c.yes;
    host.asked.clear();
    host.state.ExecDeclined = false;
    host.calls.clear();
    log.clear();
    const std::wstring url = c.url ? c.url : L"C:\\" + std::wstring(3000, L'x');
    player::SWF_OnGetURL(host, url, L"_blank");
    EXPECT_EQ(host.calls, c.calls) << &c - cases;
    EXPECT_EQ(!host.asked.empty(), c.asked) << &c - cases;
    if (!c.option) EXPECT_TRUE(Logged(url)) << "a log line says what was not opened";
  }
}

// A movie that has read a file of this machine reaches the network only
// after the user's Yes: every address, web and mail ones too, asked about by
// name, by get-URL and by EXEC alike; without such a read web addresses open
// at once. Addresses are judged without the blanks and control characters
// around them, so a script address stays one.
TEST_F(FSCommands, AfterAFileReadEveryAddressIsAskedAboutByName) {
  host.options.FSCommand = true;
  const std::wstring leak = L"http://127.0.0.1:8765/leak?d=secret";
  struct Case {
    bool read;
    std::wstring given;
    const wchar_t* opened;  // null: dropped
    bool asked;
  } cases[] = {
      {false, leak, leak.c_str(), false},
      {true, leak, leak.c_str(), true},
      {true, L"https://example.org/", L"https://example.org/", true},
      {true, L"mailto:me@example.org?body=secret", L"mailto:me@example.org?body=secret", true},
      {true, L"C:\\x.bat", L"C:\\x.bat", true},
      {false, L" https://example.org/ \r\n", L"https://example.org/", false},
      {false, L" JavaScript:alert(2)", nullptr, false},
      {true, L"\x01\tjavascript:alert(2)", nullptr, false},
      {false, L"\r\nVBScript:MsgBox(1)", nullptr, false},
  };
  for (const Case& c : cases) {
    for (const wchar_t* word : {L"", L"EXEC"}) {
      for (bool yes : {false, true}) {
        host.control.readLocal = c.read;
        host.answerYes = yes;
        host.asked.clear();
        host.state.ExecDeclined = false;
        host.calls.clear();
        if (*word)
          player::SWF_FSCommand(host, word, c.given);
        else
          player::SWF_OnGetURL(host, c.given, L"_blank");
        const bool opens = c.opened && (!c.asked || yes);
        EXPECT_EQ(host.calls, opens ? Calls{L"ShellOpen open " + std::wstring(c.opened)} : Calls{})
            << &c - cases << " " << word << " " << yes;
        EXPECT_EQ(!host.asked.empty(), c.asked) << &c - cases << " " << word;
        if (c.asked) EXPECT_NE(host.asked.find(L"\r\n" + std::wstring(c.opened) + L"\r\n"), std::wstring::npos);
      }
    }
  }
}

TEST(PlayerNumbers, ReadAsMoviesAndScriptsWriteThem) {
  struct Case {
    const wchar_t* text;
    double leading;
    std::optional<double> whole;
    std::optional<bool> truth;
  } cases[] = {
      {L"12.5", 12.5, 12.5, true},     {L" -3.25px", -3.25, std::nullopt, std::nullopt},
      {L"0", 0, 0.0, false},           {L"TrUe", 0, std::nullopt, true},
      {L"false", 0, std::nullopt, false}, {L"maybe", 0, std::nullopt, std::nullopt},
      {L"1e3", 1000, 1000.0, true},    {L".5", 0.5, 0.5, true},
      {L"", 0, std::nullopt, std::nullopt}, {L"12,5", 12, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(player::LeadingNumber(c.text), c.leading) << c.text;
    EXPECT_EQ(player::DotNumber(c.text), c.whole) << c.text;
    EXPECT_EQ(player::TruthValue(c.text), c.truth) << c.text;
  }
  EXPECT_EQ(player::RoundHalfEven(2.5), 2);
  EXPECT_EQ(player::RoundHalfEven(-2.5), -2);
  EXPECT_EQ(player::RoundHalfEven(1e300), 2147483647L);
  EXPECT_EQ(player::RoundHalfEven(std::nan("")), 0);
}

}  // namespace
