// The script host with a test object: members bare and through "Player.",
// in any case, each argument type, unknown names and syntax errors reported
// without a dialog, a statement that stops in its middle (also inside loops
// that swallow errors), and statements that run too long.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/TextConv.h"

#include "player/script/ScriptEngine.h"
#include "player/script/ScriptObject.h"
#include "services/XmlDocument.h"

using player::ScriptAbort;
using player::ScriptArgs;
using player::ScriptEngine;
using player::ScriptObject;
using player::ScriptValue;

namespace {

class Script : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCom();
    object.Add(L"SetRepeatMode", [this](const ScriptArgs& a) -> ScriptValue {
      calls.push_back(L"SetRepeatMode " + std::to_wstring(a.Long(0)));
      return {};
    });
    object.Add(L"FullScreen", [this](const ScriptArgs& a) -> ScriptValue {
      calls.push_back(L"FullScreen " + std::to_wstring(a.Bool(0)) + std::to_wstring(a.Bool(1)) +
                      std::to_wstring(a.Bool(2)));
      return {};
    });
    object.Add(L"OpenMovie", [this](const ScriptArgs& a) -> ScriptValue {
      calls.push_back(L"OpenMovie " + a.Text(0));
      return {};
    });
    object.Add(L"TogglePlaylist", [this](const ScriptArgs& a) -> ScriptValue {
      calls.push_back(L"TogglePlaylist " + std::to_wstring(a.Long(0)));
      return {};
    });
    object.Add(L"Volume", [](const ScriptArgs&) -> ScriptValue { return 60L; });
    object.Add(L"Quit", [this](const ScriptArgs&) -> ScriptValue {
      calls.push_back(L"Quit");
      // What the main window does: the engine must not be closed inside our call.
      throw ScriptAbort{};
    });
    host.SetErrorSink([this](const std::wstring& e) { errors.push_back(e); });
    ASSERT_TRUE(host.Start(L"Player", &object)) << host.LastFailure();
  }

  ScriptObject object;
  ScriptEngine host;
  std::vector<std::wstring> calls, errors;
};

}  // namespace

TEST_F(Script, MembersAreReachedBareAndThroughTheObjectInAnyCase) {
  EXPECT_TRUE(host.Execute(L" SetRepeatMode 2"));
  EXPECT_TRUE(host.Execute(L"Player.SetRepeatMode 1"));
  EXPECT_TRUE(host.Execute(L"setrepeatmode 0"));
  EXPECT_TRUE(host.Execute(L"PLAYER.SETREPEATMODE(2)"));
  EXPECT_EQ(calls, (std::vector<std::wstring>{L"SetRepeatMode 2", L"SetRepeatMode 1", L"SetRepeatMode 0",
                                              L"SetRepeatMode 2"}));
  EXPECT_TRUE(errors.empty());
}

TEST_F(Script, ArgumentsArriveConvertedWhateverTheirVariantType) {
  struct Case {
    const wchar_t* statement;
    const wchar_t* call;
  } cases[] = {
      {L"FullScreen True, False, False", L"FullScreen 100"},
      {L"FullScreen -1, 0, 1", L"FullScreen 101"},
      {L"FullScreen \"True\", \"False\", \"True\"", L"FullScreen 101"},
      {L"SetRepeatMode 2.6", L"SetRepeatMode 3"},
      {L"SetRepeatMode 70000", L"SetRepeatMode 70000"},
      {L"SetRepeatMode \"2\"", L"SetRepeatMode 2"},
      {L"OpenMovie \"C:\\a b.swf\"", L"OpenMovie C:\\a b.swf"},
      {L"OpenMovie 12", L"OpenMovie 12"},
      {L"TogglePlaylist True", L"TogglePlaylist -1"},  // VB's True: shown, not toggled
      {L"m = 1 : SetRepeatMode m", L"SetRepeatMode 1"},     // a variable comes by reference
      {L"p = \"x.swf\" : Player.OpenMovie p", L"OpenMovie x.swf"},
      {L"SetRepeatMode Volume", L"SetRepeatMode 60"},       // a property read
  };
  for (const Case& c : cases) {
    calls.clear();
    EXPECT_TRUE(host.Execute(c.statement)) << c.statement;
    ASSERT_EQ(calls.size(), 1u) << c.statement;
    EXPECT_EQ(calls[0], c.call) << c.statement;
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(Script, FailuresAreReportedWithADescriptionAndNoDialog) {
  const wchar_t* failing[] = {L"NoSuchMember 1", L"Player.NoSuchMember", L"SetRepeatMode (", L"If Then Else",
                              L"SetRepeatMode \"two\"", L"MsgBox \"no site window: no dialog\""};
  for (const wchar_t* statement : failing) {
    errors.clear();
    EXPECT_FALSE(host.Execute(statement)) << statement;
    ASSERT_EQ(errors.size(), 1u) << statement;
    EXPECT_FALSE(errors[0].empty()) << statement;
  }
  EXPECT_TRUE(calls.empty());
  // The host goes on working after a failure.
  EXPECT_TRUE(host.Execute(L"SetRepeatMode 1"));
}

TEST_F(Script, AStopInsideAStatementEndsItThereAndTheHostSurvives) {
  EXPECT_FALSE(host.Execute(L"Quit : SetRepeatMode 2"));
  EXPECT_TRUE(object.Aborted());
  EXPECT_EQ(calls, std::vector<std::wstring>{L"Quit"}) << "nothing after the stop runs";
  EXPECT_TRUE(errors.empty()) << "a stop is not a script error";
  object.ClearAborted();
  // The owner closes the engine after the statement; a new one starts cleanly.
  host.Stop();
  ASSERT_TRUE(host.Start(L"Player", &object));
  EXPECT_TRUE(host.Execute(L"SetRepeatMode 1")) << WideToUtf8(host.LastError());
}

TEST_F(Script, AStopInsideALoopEndsTheStatementEvenWhenErrorsAreSwallowed) {
  const wchar_t* statements[] = {L"Do: Quit: Loop", L"On Error Resume Next: Do: Quit: Loop",
                                 L"On Error Resume Next: For i = 1 To 3: Quit: Next: SetRepeatMode 2",
                                 L"On Error Resume Next: Do: SetRepeatMode 1: Quit: Loop"};
  for (const wchar_t* statement : statements) {
    SCOPED_TRACE(testing::Message() << WideToUtf8(statement));
    calls.clear();
    object.ClearAborted();
    EXPECT_FALSE(host.Execute(statement));
    EXPECT_TRUE(object.Aborted());
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), L"Quit") << "nothing runs after the stop";
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"Quit"), 1);
    EXPECT_TRUE(errors.empty()) << "a stop is not a script error";
    object.ClearAborted();
    EXPECT_TRUE(host.Execute(L"SetRepeatMode 1")) << "the host goes on";
  }
}

TEST_F(Script, AStatementThatRunsTooLongIsStoppedAndReported) {
  // The clock moves one second with each call of Tick.
  double now = 0;
  host.SetTimeLimit(3, [&now] { return now; });
  object.Add(L"Tick", [&now](const ScriptArgs&) -> ScriptValue {
    now += 1;
    return {};
  });
  const wchar_t* statements[] = {L"Do: Tick: Loop", L"On Error Resume Next: Do: Tick: x = 1 / 0: Loop",
                                 L"Do While Volume > 0: Tick: Loop"};
  for (const wchar_t* statement : statements) {
    SCOPED_TRACE(testing::Message() << WideToUtf8(statement));
    errors.clear();
    EXPECT_FALSE(host.Execute(statement));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(L"longer than 3 seconds"), std::wstring::npos) << WideToUtf8(errors[0]);
    EXPECT_TRUE(host.Execute(L"SetRepeatMode 1")) << "the host goes on";
    EXPECT_EQ(errors.size(), 1u);
  }
  // A statement within the limit is not stopped.
  now = 0;
  EXPECT_TRUE(host.Execute(L"Tick: Tick"));
}

TEST(ScriptObjectNames, UnknownNamesAreRefusedAndKnownOnesFoundInAnyCase) {
  ScriptObject object;
  object.Add(L"Uninstall", [](const ScriptArgs&) -> ScriptValue { return {}; });
  DISPID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(L"uNiNsTaLl");
  EXPECT_EQ(object.GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
  LPOLESTR unknown = const_cast<LPOLESTR>(L"Format");
  EXPECT_EQ(object.GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
}
