// Movies that run scripts in the real control, written with our assembler:
// the order of clip events over frames, the display list as scripts change
// it and as it is then drawn, the drawing methods against the same shape
// stored in a movie, the pointer and the keyboard reaching handlers, text
// fields bound to variables both ways, the host's variables and labels, the
// budget of a runaway script, files only beside the movie (a read of one
// known to the host, no load reaching an address). Pictures go to
// actions-sheet.bmp.
#include <memory>

#include "LoopbackServer.h"
#include "MovieScriptFixture.h"
#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "platform/flash/play/ClipEvents.h"

namespace {

using namespace moviescript;

TEST_F(MovieScriptTest, ClipEventsRunInTheFrameModelsOrder) {
  using namespace flash;
  Load(FramesMovie({Box(1, kRed, 0, 0, 10, 10), flashtest::Sprite(2, {Script("push 'child frame'; trace"), moviebytes::ShowFrame()}),
                    PlaceEvents(1, 2, 0, 0, "c",
                                {{kEventLoad, "push 'load'; trace"}, {kEventEnterFrame, "push 'enter'; trace"},
                                 {kEventUnload, "push 'unload'; trace"}}, 6),
                    Script("push 'root 0'; trace"), moviebytes::ShowFrame(),
                    Script("push 'root 1'; trace"), moviebytes::ShowFrame(),
                    flashtest::Remove(1), Script("push 'root 2'; trace; stop"), moviebytes::ShowFrame()},
                   6));
  // A frame's actions after its display list; a parent's before its new child's load and actions.
  EXPECT_EQ(Traces(), "root 0|load|child frame");
  Frames(1);
  EXPECT_EQ(Traces(), "enter|root 1");  // enterFrame before the frame's actions
  Frames(1);
  EXPECT_EQ(Traces(), "root 2|unload");
  Frames(3);
  EXPECT_EQ(Traces(), "");
  EXPECT_EQ(control->FrameNum(), 2);
}

TEST_F(MovieScriptTest, ScriptsChangeTheDisplayListAsItIsDrawn) {
  Load(FramesMovie({Box(1, kRed, 0, 0, 20, 20), flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                    Export(2, "box"), Box(3, kBlue, 0, 0, 20, 20),
                    flashtest::Sprite(4, {flashtest::Place(1, 3, 0, 0), moviebytes::ShowFrame()}), Export(4, "blue"),
                    Script("push 1, 'a', 'box', 3, '_root'; getVariable; push 'attachMovie'; callMethod; "
                           "storeRegister 1; push '_x', 10; setMember; "
                           "push 2, 'b', 2, r:1, 'duplicateMovieClip'; callMethod; push '_x', 50; setMember; "
                           "push 3, 'c', 'blue', 3, '_root'; getVariable; push 'attachMovie'; callMethod; "
                           "storeRegister 2; push '_x', 15; setMember; stop"),
                    moviebytes::ShowFrame()}));
  Picture p = Shot();
  EXPECT_EQ(p.At(5, 5), kWhite);
  EXPECT_EQ(p.At(12, 5), kRedPx);   // a
  EXPECT_EQ(p.At(20, 5), kBluePx);  // c above a
  EXPECT_EQ(p.At(55, 5), kRedPx);   // b, the duplicate
  AddToSheet(L"attached", p, L"actions");
  // The same two clips, then swapDepths.
  Load(FramesMovie({Box(1, kRed, 0, 0, 20, 20), flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                    Export(2, "box"), Box(3, kBlue, 0, 0, 20, 20),
                    flashtest::Sprite(4, {flashtest::Place(1, 3, 0, 0), moviebytes::ShowFrame()}), Export(4, "blue"),
                    Script("push 1, 'a', 'box', 3, '_root'; getVariable; push 'attachMovie'; callMethod; "
                           "push '_x', 10; setMember; push 3, 'c', 'blue', 3, '_root'; getVariable; "
                           "push 'attachMovie'; callMethod; push '_x', 15; setMember; "
                           "push 'c'; getVariable; push 1, 'a'; getVariable; push 'swapDepths'; callMethod; "
                           "push 'a'; getVariable; push 0; stackSwap; push 'getDepth'; callMethod; trace; "
                           "push 0, '_root'; getVariable; push 'getNextHighestDepth'; callMethod; trace; stop"),
                    moviebytes::ShowFrame()}));
  EXPECT_EQ(Traces(), "3|4");
  p = Shot();
  EXPECT_EQ(p.At(20, 5), kRedPx);  // a now above c
  EXPECT_EQ(p.At(32, 5), kBluePx);
  AddToSheet(L"swapped", p, L"actions");
}

TEST_F(MovieScriptTest, DrawingMethodsDrawAsTheSameShapeStored) {
  ShapeBuilder stored;
  stored.Fill(Solid({0x33, 0x66, 0xCC})).Line(80, {0, 0, 0});
  stored.Move(200, 200, 0, 1, 1).To(1800, 200).Curve(2400, 1000, 1800, 1800).To(200, 1800).To(200, 200);
  Load(FramesMovie({stored.Tag(1), rendertest::Place(1, 1, Translate(0, 0)), moviebytes::ShowFrame()}));
  const Picture shape = Shot();
  Load(FramesMovie({Script("push 1, 'd', 2, '_root'; getVariable; push 'createEmptyMovieClip'; callMethod; "
                           "storeRegister 1; push 100, 0, 4, 3, r:1, 'lineStyle'; callMethod; pop; "
                           "push 100, 0x3366CC, 2, r:1, 'beginFill'; callMethod; pop; "
                           "push 10, 10, 2, r:1, 'moveTo'; callMethod; pop; push 10, 90, 2, r:1, 'lineTo'; callMethod; "
                           "pop; push 90, 90, 50, 120, 4, r:1, 'curveTo'; callMethod; pop; push 90, 10, 2, r:1, "
                           "'lineTo'; callMethod; pop; push 0, r:1, 'endFill'; callMethod; pop; stop"),
                    moviebytes::ShowFrame()}));
  const Picture drawn = Shot();
  AddToSheet(L"drawing methods", drawn, L"actions");
  int differ = 0, filled = 0;
  for (size_t i = 0; i < drawn.pixels.size(); ++i) {
    differ += (drawn.pixels[i] & 0xFFFFFF) != (shape.pixels[i] & 0xFFFFFF);
    filled += (drawn.pixels[i] & 0xFFFFFF) == 0x3366CC;
  }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(filled, 3000);
}

TEST_F(MovieScriptTest, HandlersTakeThePointerAndTheKeyboard) {
  const Bytes record = Bytes{flash::kButtonUp | flash::kButtonHit} + U16(1) + U16(1) + Translate(0, 0) +
                       Cxform(256, 256, 256, 256, 0, 0, 0, 0);
  const Bytes button = moviebytes::Tag(34, U16(3) + Bytes{0} + U16(0) + record + Bytes{0}, true);
  Load(FramesMovie({Box(1, kRed, 0, 0, 20, 20), button, flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                    flashtest::Place(1, 3, 0, 0, "btn"), flashtest::Place(2, 2, 1000, 0, "clip"),
                    Script("push 'btn'; getVariable; push 'onRelease'; function '' () { push 'released'; trace }; "
                           "setMember; push 'clip'; getVariable; push 'onPress'; function '' () { push 'pressed'; "
                           "trace }; setMember; push 'clip'; getVariable; push 'onRollOver'; function '' () { "
                           "push 'over'; trace }; setMember; "
                           "push 'K', 'onKeyDown'; function '' () { push 'down ', 0, 'Key'; getVariable; "
                           "push 'getCode'; callMethod; add2; trace }; push 1; initObject; setVariable; "
                           "push 'K'; getVariable; push 1, 'Key'; getVariable; push 'addListener'; callMethod; pop; "
                           "push 'onEnterFrame'; function '' () { push 39, 1, 'Key'; getVariable; push 'isDown'; "
                           "callMethod; not; if no; push 'right'; trace; no: }; setVariable; stop"),
                    moviebytes::ShowFrame()}));
  Click(10, 10);
  EXPECT_EQ(Traces(), "released");
  Mouse(WM_MOUSEMOVE, 60, 10);
  Mouse(WM_LBUTTONDOWN, 60, 10);
  EXPECT_EQ(Traces(), "over|pressed");
  Mouse(WM_LBUTTONUP, 60, 10);
  SendMessageW(control->hWnd(), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(Traces(), "down 39");
  Frames(1);
  EXPECT_EQ(Traces(), "right");
  SendMessageW(control->hWnd(), WM_KEYUP, VK_RIGHT, 0);
  Frames(1);
  EXPECT_EQ(Traces(), "");
}

TEST_F(MovieScriptTest, TextFieldsFollowTheirVariablesBothWays) {
  Load(FramesMovie({EditText(5, 2000, 400, 0x08, 0x08, "score"), EditText(6, 2000, 400, 0x00, 0x08, "name"),
                    flashtest::Place(1, 5, 0, 0, "scoreField"), flashtest::Place(2, 6, 0, 800, "nameField"),
                    Script("push 'score', 5; setVariable; push 'scoreField'; getVariable; push 'background', true; "
                           "setMember; push 'scoreField'; getVariable; push 'backgroundColor', 0xFFCC00; setMember; stop"),
                    moviebytes::ShowFrame()}));
  flash::DisplayObject& score = control->Player()->Root().objects.at(1);
  EXPECT_EQ(score.text->data.text, L"5");
  control->SetVariable(L"score", L"9");
  EXPECT_EQ(score.text->data.text, L"9");
  Click(10, 50);  // into the input field
  for (wchar_t c : {L'a', L'b', L'\b', L'c'}) SendMessageW(control->hWnd(), WM_CHAR, c, 0);
  EXPECT_EQ(control->GetVariable(L"name"), L"ac");
  EXPECT_EQ(control->Player()->Root().objects.at(2).text->data.text, L"ac");
  const Picture p = Shot();
  EXPECT_EQ(p.At(90, 10), 0xFFCC00u);  // the field's background
  AddToSheet(L"text fields", p, L"actions");
}

TEST_F(MovieScriptTest, AClassRegisteredToASymbolMakesItsClips) {
  // Init actions define a class and register it to the exported symbol; attachMovie
  // constructs at once, onLoad comes later, onEnterFrame from the prototype every frame.
  const std::string proto = "push '_global'; getVariable; push 'Foo'; getMember; push 'prototype'; getMember; ";
  Load(FramesMovie({Box(1, kRed, 0, 0, 20, 20), flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                    Export(2, "sym"),
                    flashtest::InitScript(2, "push '_global'; getVariable; push 'Foo'; function '' () { push 'this'; "
                                             "getVariable; push 'n', 7; setMember; push 'ctor'; trace }; setMember; " +
                                                 proto + "push 'onLoad'; function '' () { push 'loaded'; trace }; "
                                                         "setMember; " + proto +
                                                 "push 'onEnterFrame'; function '' () { push 'this'; getVariable; "
                                                 "push '_x', 'this'; getVariable; push '_x'; getMember; push 5; add2; "
                                                 "setMember }; setMember; push '_global'; getVariable; push 'Foo'; "
                                                 "getMember; push 'sym', 2, 'Object'; getVariable; push "
                                                 "'registerClass'; callMethod; pop"),
                    Script("push 1, 'a', 'sym', 3, '_root'; getVariable; push 'attachMovie'; callMethod; "
                           "storeRegister 1; push 'n'; getMember; trace; push r:1, 'Foo'; getVariable; instanceOf; "
                           "trace; stop"),
                    moviebytes::ShowFrame()}));
  EXPECT_EQ(Traces(), "ctor|7|true|loaded");
  Frames(2);
  EXPECT_EQ(control->GetVariable(L"a._x"), L"10");
}

TEST_F(MovieScriptTest, HostVariablesLabelsAndAddresses) {
  Load(FramesMovie({flashtest::Sprite(2, {Script("stop"), moviebytes::ShowFrame(), flashtest::Label("MWH"),
                                          Script("push '_root.mwheel'; getVariable; trace"), moviebytes::ShowFrame()}),
                    flashtest::Place(1, 2, 0, 0, "vbCall"),
                    Script("push 'x', 5; setVariable; push 'http://example.com/', '_blank'; getURL2 0; "
                           "push 'javascript:alert(1)', ''; getURL2 0; stop"),
                    moviebytes::ShowFrame()},
                   6));
  std::vector<std::wstring> urls;
  control->OnGetURL = [&](const std::wstring& url, const std::wstring&) { urls.push_back(url); };
  flashtest::PumpMessages();
  EXPECT_EQ(urls, std::vector<std::wstring>{L"http://example.com/"});
  EXPECT_EQ(control->GetVariable(L"x"), L"5");
  EXPECT_EQ(control->GetVariable(L"_root.x"), L"5");
  control->SetVariable(L"_root.mwheel", L"-1");
  control->TCallLabel(L"vbCall", L"MWH");
  EXPECT_EQ(Traces(), "-1");
  EXPECT_EQ(control->GetVariable(L"/vbCall:missing"), L"");
  bool hasX = false;
  for (const auto& [name, value] : control->RootVariables()) hasX = hasX || (name == L"x" && value == L"5");
  EXPECT_TRUE(hasX);
}

TEST_F(MovieScriptTest, ARunawayScriptIsStoppedAndTheMovieStillPaints) {
  step = 1;  // every look at the clock finds it a second later
  Load(FramesMovie({Box(1, kRed, 0, 0, 20, 20), flashtest::Place(1, 1, 0, 0), Script("push 'start'; trace; loop: jump loop"),
                    moviebytes::ShowFrame()}));
  EXPECT_TRUE(Logged(L"15 seconds"));
  EXPECT_EQ(Traces(), "start");
  EXPECT_EQ(Shot().At(10, 10), kRedPx);
  Frames(2);
  EXPECT_EQ(control->FrameNum(), 0);
}

// A handler that never ends (on every frame, on a timer, on a press) is
// stopped once: the movie's scripts stop for good and its timeline plays on.
TEST_F(MovieScriptTest, ARunawayHandlerStopsTheScriptsAndTheTimelinePlaysOn) {
  const std::string endless = "function '' () { loop: jump loop }";
  const struct {
    const char* name;
    std::string script;
    bool click;
  } cases[] = {
      {"enterFrame", "push '_root'; getVariable; push 'onEnterFrame'; " + endless + "; setMember", false},
      {"interval", "push 10; " + endless + "; push 2, 'setInterval'; callFunction; pop", false},
      {"press", "push 'clip'; getVariable; push 'onPress'; " + endless + "; setMember", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    step = 1;  // every look at the clock finds it a second later
    std::vector<Bytes> tags{Box(1, kRed, 0, 0, 20, 20),
                            flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                            flashtest::Place(1, 2, 0, 0, "clip"), Script(c.script + "; push 'set'; trace")};
    for (int i = 0; i < 100; ++i) tags.push_back(moviebytes::ShowFrame());
    Load(FramesMovie(tags));
    EXPECT_EQ(Traces(), "set");
    long frame = control->FrameNum();
    for (int round = 0; round < 4; ++round) {
      if (c.click) Click(10, 10);
      Frames(1);
      EXPECT_GT(control->FrameNum(), frame) << "round " << round;
      frame = control->FrameNum();
    }
    EXPECT_EQ(Count(L"15 seconds"), 1);
    log.clear();
  }
}

// The runs of one turn of the control (here every handler of one frame)
// share one budget, while a message that comes inside another's modal loop
// (a dialog an FS command opened) is a turn of its own; a close request to
// the window, or the host's own sign of ending, stops the scripts at once.
TEST_F(MovieScriptTest, OneTurnsRunsShareTheBudgetAndACloseStopsThem) {
  step = 0.0001;
  const std::string tenSeconds = "function '' () { getTime; storeRegister 1; pop; loop: getTime; push r:1; subtract; "
                                 "push 10000; less2; if loop; push 'done'; trace }";
  Load(FramesMovie({Box(1, kRed, 0, 0, 20, 20),
                    flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                    flashtest::Place(1, 2, 0, 0, "clip"),
                    Script("push '_root'; getVariable; push 'onEnterFrame'; " + tenSeconds + "; setMember; "
                           "push 'clip'; getVariable; push 'onEnterFrame'; " + tenSeconds + "; setMember"),
                    moviebytes::ShowFrame(), moviebytes::ShowFrame()}));
  Frames(1);
  EXPECT_EQ(Count(L"15 seconds"), 1);
  EXPECT_EQ(Traces(), "done");

  // Twenty seconds of a dialog, the frame timer ticking under it, each tick's handler long enough to look at the clock.
  step = 0;
  ShowWindow(host.get(), SW_SHOWNA);
  int ticks = 0;
  control->OnFSCommand = [&](const std::wstring&, const std::wstring&) {
    for (; ticks < 20; ++ticks) {
      now += 1;
      SendMessageW(control->hWnd(), WM_TIMER, flash::kFrameTimer, 0);
    }
  };
  Load(FramesMovie({Script("push '_root'; getVariable; push 'onEnterFrame'; function '' () { push 0; storeRegister 1; "
                           "pop; loop: push r:1; increment; storeRegister 1; push 100000; less2; if loop; "
                           "push 'tick'; trace }; setMember; push 'FSCommand:ask', ''; getURL2 0"),
                    moviebytes::ShowFrame(), moviebytes::ShowFrame()}));
  flashtest::PumpMessages();
  EXPECT_EQ(ticks, 20);
  EXPECT_FALSE(Logged(L"seconds"));
  EXPECT_GE(Count(L"tick"), 20);  // every tick ran the handler to its end
  log.clear();
  ShowWindow(host.get(), SW_HIDE);

  // The clock stands still: only the close request ends the loop.
  step = 0;
  PostMessageW(host.get(), WM_CLOSE, 0, 0);
  Load(FramesMovie({Script("push 'start'; trace; loop: jump loop"), moviebytes::ShowFrame()}));
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, host.get(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_TRUE(Logged(L"closing"));
  EXPECT_EQ(Traces(), "start");

  // So does the host's own sign that it is ending.
  control->SetCloseCheck([] { return true; });
  Load(FramesMovie({Script("push 'again'; trace; loop: jump loop"), moviebytes::ShowFrame()}));
  control->SetCloseCheck(nullptr);
  EXPECT_TRUE(Logged(L"closing"));
  EXPECT_EQ(Traces(), "again");
}

TEST_F(MovieScriptTest, FilesOnlyBesideTheMovie) {
  testing_support::WriteText(dir.File(L"vars.txt"), "a=1&b=two");
  testing_support::WriteBytes(dir.File(L"..\\outside.swf"), FramesMovie({moviebytes::ShowFrame(), moviebytes::ShowFrame()}));
  Load(FramesMovie({Script("push 'vars.txt', 1, '_root'; getVariable; push 'loadVariables'; callMethod; pop; "
                           "push '../outside.swf', 1, '_root'; getVariable; push 'loadMovie'; callMethod; pop; "
                           "push 'C:\\\\outside.swf', 1, '_root'; getVariable; push 'loadMovie'; callMethod; "
                           "push 'CON.txt', 1, '_root'; getVariable; push 'loadVariables'; callMethod; stop"),
                    moviebytes::ShowFrame()}));
  EXPECT_TRUE(Logged(L"'../outside.swf' was refused"));
  EXPECT_TRUE(Logged(L"'C:\\outside.swf' was refused"));
  EXPECT_TRUE(Logged(L"'CON.txt' was refused"));  // a device, in any folder
  Frames(1);
  flashtest::PumpMessages();
  EXPECT_EQ(control->TotalFrames(), 1);  // still the movie played
  EXPECT_EQ(control->GetVariable(L"b"), L"two");
  DeleteFileW(dir.File(L"..\\outside.swf").c_str());
}

// Once a script has read a file beside the movie the control says so (the
// host then asks before opening any address the movie asks for), also for a
// movie the scripts load in its place, until the host loads another. Loads of
// addresses reach nothing; an address is handed over without the blanks
// and control characters around it, a script address not at all.
TEST_F(MovieScriptTest, AFileReadIsKnownToTheHostAndNoLoadReachesAnAddress) {
  testing_support::LoopbackServer server;
  ASSERT_TRUE(server.Listening());
  const std::string web = WideToUtf8(server.Url("/leak"));
  testing_support::WriteText(dir.File(L"secret.txt"), "text=hidden");
  testing_support::WriteBytes(dir.File(L"next.swf"), FramesMovie({Script("stop"), moviebytes::ShowFrame()}));
  auto load = [](const std::string& method, const std::string& url) {
    return "push '" + url + "', 1, '_root'; getVariable; push '" + method + "'; callMethod; pop; ";
  };
  const struct {
    const char* what;
    std::string script;
    bool read;
  } cases[] = {
      {"nothing read", "", false},
      {"a file that is not there", load("loadVariables", "none.txt"), false},
      {"addresses loaded", load("loadVariables", web) + load("loadMovie", web + ".swf") +
                               "push '" + web + "', '_level0'; getURL2 1; push '" + web + "', '_level3'; getURL2 0; ",
       false},
      {"a file beside the movie", load("loadVariables", "secret.txt"), true},
      {"a file read, then another movie in its place",
       load("loadVariables", "secret.txt") + "push 'next.swf', '_level0'; getURL2 0; ", true},
  };
  for (const auto& c : cases) {
    Load(FramesMovie({Script(c.script + "stop"), moviebytes::ShowFrame()}));
    Frames(2);
    flashtest::PumpMessages();
    EXPECT_EQ(control->ReadLocalFile(), c.read) << c.what;
  }
  EXPECT_EQ(control->GetVariable(L"text"), L"") << "the movie in its place";
  Load(FramesMovie({Script("stop"), moviebytes::ShowFrame()}));
  EXPECT_FALSE(control->ReadLocalFile()) << "the host's next load starts afresh";
  EXPECT_TRUE(server.Requests().empty());

  std::vector<std::wstring> urls;
  control->OnGetURL = [&](const std::wstring& url, const std::wstring&) { urls.push_back(url); };
  Load(FramesMovie({Script("push ' JavaScript:alert(2)', ''; getURL2 0; push '\t\njavascript:x', ''; getURL2 0; "
                           "push ' " + web + "?d=1 ', '_blank'; getURL2 0; stop"),
                    moviebytes::ShowFrame()}));
  flashtest::PumpMessages();
  EXPECT_EQ(urls, std::vector<std::wstring>{server.Url("/leak?d=1")});
}

TEST_F(MovieScriptTest, AMaskedClipShowsOnlyWhereItsMaskDraws) {
  Load(FramesMovie({Box(1, kBlue, 0, 0, 100, 50), flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                    flashtest::Place(1, 2, 0, 0, "pic"),
                    Script("push 1, 'm', 2, '_root'; getVariable; push 'createEmptyMovieClip'; callMethod; "
                           "storeRegister 1; push 100, 0xFF0000, 2, r:1, 'beginFill'; callMethod; pop; "
                           "push 10, 30, 2, r:1, 'moveTo'; callMethod; pop; push 10, 60, 2, r:1, 'lineTo'; callMethod; "
                           "pop; push 40, 60, 2, r:1, 'lineTo'; callMethod; pop; push 40, 30, 2, r:1, 'lineTo'; "
                           "callMethod; pop; push 0, r:1, 'endFill'; callMethod; pop; "
                           "push r:1, 1, 'pic'; getVariable; push 'setMask'; callMethod; stop"),
                    moviebytes::ShowFrame()}));
  const Picture p = Shot();
  AddToSheet(L"masked clip", p, L"actions");
  EXPECT_EQ(p.At(45, 20), kBluePx);  // inside the mask
  EXPECT_EQ(p.At(10, 10), kWhite);   // the picture outside it
  EXPECT_EQ(p.At(45, 45), kWhite);   // the picture below the mask
  EXPECT_EQ(p.At(45, 70), kWhite);   // the mask itself is not drawn
}

}  // namespace

namespace {

// A movie to load: a red square in a clip "btn" that traces its path when
// released, and a first frame that sets v and traces where it runs.
Bytes ChildMovie() {
  return FramesMovie({Box(1, kRed, 0, 0, 20, 20), flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                      flashtest::Place(1, 2, 0, 0, "btn"),
                      Script("push 'v', 'child'; setVariable; push 'this'; getVariable; push '_target'; getMember; "
                             "trace; push 'btn'; getVariable; push 'onRelease'; function '' () { push 'released ', "
                             "'this'; getVariable; push '_target'; getMember; add2; trace }; setMember; stop"),
                      moviebytes::ShowFrame()});
}

TEST_F(MovieScriptTest, MoviesAndPicturesLoadIntoClipsAndLevels) {
  testing_support::WriteBytes(dir.File(L"child.swf"), ChildMovie());
  testing_support::WriteBytes(dir.File(L"pic.jpg"), FlatJpeg(0, 160, 0));
  // A blue square at the stage's origin and in the clip "holder" at x 100; frames that load and unload.
  const auto frame = [](const char* label, const std::string& code) {
    return std::vector<Bytes>{flashtest::Label(label), Script(code), moviebytes::ShowFrame()};
  };
  std::vector<Bytes> tags{Box(1, kBlue, 0, 0, 20, 20), flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                          flashtest::Place(1, 1, 0, 0), flashtest::Place(2, 2, 2000, 0, "holder"), Script("stop"),
                          moviebytes::ShowFrame()};
  for (const auto& f : {frame("clip", "push 'child.swf', 1, 'holder'; getVariable; push 'loadMovie'; callMethod"),
                        frame("level", "push 'child.swf', '_level2'; getURL2 0"),
                        frame("picture", "push 'pic.jpg', 'holder'; getURL2 2"),
                        frame("unload clip", "push 0, 'holder'; getVariable; push 'unloadMovie'; callMethod"),
                        frame("unload level", "push '', '_level2'; getURL2 0")})
    tags.insert(tags.end(), f.begin(), f.end());
  const struct {
    const wchar_t* load;
    const wchar_t* unload;
    int x;
    uint32_t shown, after;
    const char* traces;
    const wchar_t* variable;
    const wchar_t* value;
  } cases[] = {
      {L"clip", L"unload clip", 105, kRedPx, kWhite, "/holder|released /holder/btn", L"holder.v", L"child"},
      {L"level", L"unload level", 5, kRedPx, kBluePx, "_level2|released _level2/btn", L"_level2.v", L"child"},
      {L"picture", L"unload clip", 105, 0x00A000, kWhite, "", L"holder._width", L"16"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.load);
    Load(FramesMovie(tags));
    control->TCallLabel(L"/", c.load);
    const Picture p = Shot();
    AddToSheet(std::wstring(L"loaded ") + c.load, p, L"actions");
    if (c.shown == 0x00A000) {
      EXPECT_NEAR(p.G(c.x, 5), 160, 6);
      EXPECT_LT(p.R(c.x, 5) + p.B(c.x, 5), 12);
    } else {
      EXPECT_EQ(p.At(c.x, 5), c.shown);
    }
    EXPECT_EQ(p.At(c.x, 25), kWhite);  // the loaded movie shows only what it draws
    Click(c.x, 5);
    EXPECT_EQ(Traces(), c.traces);
    EXPECT_EQ(control->GetVariable(c.variable), c.value);
    EXPECT_EQ(control->GetVariable(L"holder._x"), L"100");  // the clip keeps its place
    Frames(2);  // the loaded movies play on
    control->TCallLabel(L"/", c.unload);
    EXPECT_EQ(Shot().At(c.x, 5), c.after);
  }
}

TEST_F(MovieScriptTest, LoadsAreBoundedInDepthAndBytes) {
  // A movie that loads itself into a clip of its own: eight loads deep, then refused.
  testing_support::WriteBytes(dir.File(L"big.swf"), Bytes{'C', 'W', 'S', 8, 0, 0, 0, 0x10, 0x78, 0x9C, 3, 0});
  Load(FramesMovie({Script("push 1, 'c', 2, 'this'; getVariable; push 'createEmptyMovieClip'; callMethod; "
                           "push 'm.swf'; stackSwap; push 1; stackSwap; push 'loadMovie'; callMethod; pop; "
                           "push 'big.swf', '_level5'; getURL2 0; stop"),
                    moviebytes::ShowFrame()}));
  Frames(12);
  const std::wstring list = control->Player()->Describe();
  size_t loaded = 0;
  for (size_t at = list.find(L" loaded"); at != std::wstring::npos; at = list.find(L" loaded", at + 1)) ++loaded;
  EXPECT_EQ(loaded, flash::MoviePlayer::kMaxLoadNesting);
  EXPECT_TRUE(Logged(L"too many movies are loaded inside one another"));
  EXPECT_TRUE(Logged(L"'" + dir.File(L"big.swf") + L"' was not loaded"));  // 256 MB declared
  EXPECT_EQ(control->TotalFrames(), 1);
}

// A clip acting as a button, turned a quarter and drawn twice as large,
// takes the pointer where its scaling grid draws it: the grid works in the
// clip's own space, so its 10 px corner square stays 10 px (at the top right).
TEST_F(MovieScriptTest, ClipsTakeThePointerWhereTheirScalingGridDrawsThem) {
  for (bool grid : {true, false}) {
    std::vector<Bytes> tags{Box(1, kRed, 0, 0, 10, 10), Box(2, kBlue, 30, 30, 40, 40),
                            flashtest::Sprite(3, {flashtest::Place(1, 1, 0, 0), flashtest::Place(2, 2, 0, 0),
                                                  moviebytes::ShowFrame()})};
    if (grid) tags.push_back(moviebytes::Tag(78, U16(3) + moviebytes::Rect(200, 600, 200, 600), true));
    tags.push_back(moviebytes::Tag(26, Bytes{0x26} + U16(1) + U16(3) + Mat(0, 2, -2, 0, 1800, 100) +
                                           moviebytes::Text("c") + Bytes{0}, true));
    tags.push_back(Script("push 'c'; getVariable; push 'onRelease'; function '' () { push 'hit'; trace }; "
                          "setMember; stop"));
    tags.push_back(moviebytes::ShowFrame());
    Load(FramesMovie(tags));
    Traces();
    Click(85, 10);  // the corner either way
    EXPECT_EQ(Traces(), "hit") << grid;
    Click(75, 10);  // the corner only without the grid
    EXPECT_EQ(Traces(), grid ? "" : "hit") << grid;
    Click(50, 50);  // the middle, between the squares
    EXPECT_EQ(Traces(), "") << grid;
  }
}

}  // namespace
