// Clips in numbers: children found by their instance names as scripts make,
// rename, swap and remove them (by case before version 7), more clips than
// a small movie makes, and a movie loaded again and again into one control
// without the process's private bytes growing with each load.
#include <windows.h>
#include <psapi.h>

#include <string>

#include "MovieScriptFixture.h"

namespace {

using namespace moviescript;

// _root.createEmptyMovieClip(name, depth), its result dropped.
std::string Empty(const std::string& name, int depth) {
  return "push " + std::to_string(depth) + ", '" + name +
         "', 2, '_root'; getVariable; push 'createEmptyMovieClip'; callMethod; pop; ";
}
// trace(name.getDepth())
std::string TraceDepth(const std::string& name) {
  return "push 0, '" + name + "'; getVariable; push 'getDepth'; callMethod; trace; ";
}

TEST_F(MovieScriptTest, ChildrenAreFoundByNameAsScriptsChangeTheList) {
  Load(FramesMovie({Script(Empty("a", 1) + Empty("b", 2) + Empty("c", 3) +
                           // b renamed x: b is gone, x is found
                           "push 'b'; getVariable; push '_name', 'x'; setMember; "
                           "push 'b'; getVariable; typeof; trace; push 'x'; getVariable; push '_name'; getMember; trace; " +
                           // a and c swap their depths
                           "push 'c'; getVariable; push 1, 'a'; getVariable; push 'swapDepths'; callMethod; pop; " +
                           TraceDepth("a") + TraceDepth("c") +
                           // a second x above the first: the lower one is found, then, when it goes, the other
                           Empty("x", 5) + TraceDepth("x") +
                           "push 0, 'x'; getVariable; push 'removeMovieClip'; callMethod; pop; " + TraceDepth("x") +
                           // y takes x's depth: x is gone
                           Empty("y", 5) + "push 'x'; getVariable; typeof; trace; " + TraceDepth("y") + "stop"),
                    moviebytes::ShowFrame()}));
  EXPECT_EQ(Traces(), "undefined|x|3|1|2|5|undefined|5");
}

TEST_F(MovieScriptTest, ChildNamesIgnoreCaseOnlyBeforeVersion7) {
  const std::string script = Empty("Box", 1) + "push 'box'; getVariable; typeof; trace; "
                             "push 'BOX'; getVariable; push '_name', 'Other'; setMember; "
                             "push 'other'; getVariable; typeof; trace; stop";
  Load(FramesMovie({Script(script), moviebytes::ShowFrame()}, 6));
  EXPECT_EQ(Traces(), "movieclip|movieclip");
  Load(FramesMovie({Script(script), moviebytes::ShowFrame()}, 7));
  EXPECT_EQ(Traces(), "undefined|undefined");
}

TEST_F(MovieScriptTest, ScriptsMakeTwentyThousandClipsEachFoundByName) {
  Load(FramesMovie({Script("push 'i', 0; setVariable; loop: push 'i'; getVariable; push 20000; less2; not; if end; "
                           "push 'i'; getVariable; push 'c', 'i'; getVariable; add2; push 2, '_root'; getVariable; "
                           "push 'createEmptyMovieClip'; callMethod; pop; "
                           "push 'i', 'i'; getVariable; increment; setVariable; jump loop; end: " +
                           TraceDepth("c0") + TraceDepth("c19999") +
                           "push '_root'; getVariable; push 'c12345'; getMember; push '_name'; getMember; trace; stop"),
                    moviebytes::ShowFrame()}));
  EXPECT_EQ(Traces(), "0|19999|c12345");
  EXPECT_EQ(control->Player()->LiveClips(), 20000u);
}

// The process's commit charge: its private bytes (Wine fills this field, not PrivateUsage).
size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS m{};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
  return m.PagefileUsage;
}

// Each load makes 2,000 clips with drawings, a text field, strings and an
// interval: several megabytes that the next load must give back.
TEST_F(MovieScriptTest, AHundredLoadsOfOneMovieTakeNoMoreMemoryThanTen) {
  const Bytes movie = FramesMovie(
      {Script("push 'i', 0; setVariable; loop: push 'i'; getVariable; push 2000; less2; not; if end; "
              "push 'i'; getVariable; push 'c', 'i'; getVariable; add2; push 2, '_root'; getVariable; "
              "push 'createEmptyMovieClip'; callMethod; storeRegister 1; pop; "
              "push 100, 0xFF, 2, r:1, 'beginFill'; callMethod; pop; push 10, 10, 2, r:1, 'lineTo'; callMethod; pop; "
              "push r:1, 'label', 'clip number ', 'i'; getVariable; add2; setMember; "
              "push 'i', 'i'; getVariable; increment; setVariable; jump loop; end: "
              "push 20, 20, 0, 0, 5000, 'field', 6, '_root'; getVariable; push 'createTextField'; callMethod; pop; "
              "push 1000; function '' () { push 'tick'; trace }; push 2, 'setInterval'; callFunction; pop; stop"),
       moviebytes::ShowFrame()});
  size_t afterTen = 0;
  for (int i = 1; i <= 100; ++i) {
    Load(movie);
    ASSERT_EQ(control->Player()->LiveClips(), 2000u);
    if (i == 10) afterTen = PrivateBytes();
  }
  const size_t afterHundred = PrivateBytes();
  ASSERT_GT(afterTen, 0u);
  EXPECT_LT(static_cast<double>(afterHundred), static_cast<double>(afterTen) + 4.0 * 1048576)
      << "private bytes after 10 loads " << afterTen << ", after 100 " << afterHundred;
}

}  // namespace
