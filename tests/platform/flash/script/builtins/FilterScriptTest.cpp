// The script side of filters and blend modes: the flash.filters classes with
// their defaults, arguments, ranges, copies and clone (hidden below version
// 8), and the surface properties of clips and text fields as a movie's
// scripts see them.
#include <gtest/gtest.h>

#include <initializer_list>

#include "ActionAssembler.h"
#include "RenderMovies.h"
#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "platform/flash/script/Vm.h"

namespace {

using namespace flash::script;

struct Recorder : VmHost {
  std::vector<std::wstring> traces;
  void Trace(const std::wstring& t) override { traces.push_back(t); }
  void Warn(const std::wstring&) override {}
  double Seconds() override { return 100; }
  double EpochMs() override { return 0; }
};

std::string RunCode(int version, const std::string& text) {
  std::string error;
  std::vector<uint8_t> code = actions::Assemble(text, &error);
  EXPECT_EQ(error, "") << text;
  code.push_back(0);
  Recorder host;
  Vm vm(static_cast<uint8_t>(version), host);
  Object* root = vm.NewObject();
  vm.Run(*vm.Decode(code), root, Value::Obj(root));
  std::string out;
  for (const auto& l : host.traces) out += (out.empty() ? "" : "|") + WideToUtf8(l);
  return out;
}

// Statements: a new filter of a class (arguments as assembler values) into a
// register (a timeline has four: 0 to 3).
std::string New(const std::string& cls, const std::vector<std::string>& args, int reg = 1) {
  std::string push;
  for (auto it = args.rbegin(); it != args.rend(); ++it) push += *it + ", ";
  return "push " + push + std::to_string(args.size()) + ", 'flash'; getVariable; push 'filters'; getMember; push '" +
         cls + "'; newMethod; storeRegister " + std::to_string(reg) + "; pop; ";
}
// Traces properties of the object in a register.
std::string Show(std::initializer_list<const char*> props, int reg = 1) {
  std::string s;
  for (const char* p : props) s += "push r:" + std::to_string(reg) + ", '" + p + "'; getMember; trace; ";
  return s;
}
std::string Set(const char* prop, const std::string& value, int reg = 1) {
  return "push r:" + std::to_string(reg) + ", '" + prop + "', " + value + "; setMember; ";
}
std::string Array(const std::vector<std::string>& items) {
  std::string push;
  for (auto it = items.rbegin(); it != items.rend(); ++it) push += *it + ", ";
  return "push " + push + std::to_string(items.size()) + "; initArray";
}

TEST(FilterClassesTest, HiddenBeforeVersion8) {
  const std::string probe = "push 'flash'; getVariable; typeOf; trace; push 'flash'; getVariable; push 'filters'; "
                            "getMember; push 'BlurFilter'; getMember; typeOf; trace";
  EXPECT_EQ(RunCode(7, probe), "undefined|undefined");
  EXPECT_EQ(RunCode(8, probe), "object|function");
}

TEST(FilterClassesTest, DefaultsOfEveryClass) {
  const struct {
    const char* cls;
    std::initializer_list<const char*> props;
    const char* expected;
  } cases[] = {
      {"BlurFilter", {"blurX", "blurY", "quality"}, "4|4|1"},
      {"DropShadowFilter",
       {"distance", "angle", "color", "alpha", "blurX", "blurY", "strength", "quality", "inner", "knockout", "hideObject"},
       "4|45|0|1|4|4|1|1|false|false|false"},
      {"GlowFilter", {"color", "alpha", "blurX", "blurY", "strength", "quality", "inner", "knockout"},
       "16711680|1|6|6|2|1|false|false"},
      {"BevelFilter",
       {"distance", "angle", "highlightColor", "highlightAlpha", "shadowColor", "shadowAlpha", "blurX", "blurY",
        "strength", "quality", "type", "knockout"},
       "4|45|16777215|1|0|1|4|4|1|1|inner|false"},
      {"GradientGlowFilter", {"distance", "angle", "colors", "alphas", "ratios", "blurX", "strength", "type"},
       "4|45||||4|1|inner"},
      {"GradientBevelFilter", {"distance", "quality", "type", "knockout"}, "4|1|inner|false"},
      {"ConvolutionFilter",
       {"matrixX", "matrixY", "matrix", "divisor", "bias", "preserveAlpha", "clamp", "color", "alpha"},
       "0|0||1|0|true|true|0|0"},
      {"ColorMatrixFilter", {"matrix"}, "1,0,0,0,0,0,1,0,0,0,0,0,1,0,0,0,0,0,1,0"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunCode(8, New(c.cls, {}) + Show(c.props)), c.expected) << c.cls;
}

TEST(FilterClassesTest, ConstructorArgumentsInOrder) {
  const struct {
    std::string code;
    const char* expected;
  } cases[] = {
      {New("DropShadowFilter", {"10", "90", "16711680", "0.5", "8", "2", "3", "2", "true", "true", "true"}) +
           Show({"distance", "angle", "color", "alpha", "blurX", "blurY", "strength", "quality", "inner", "knockout",
                 "hideObject"}),
       "10|90|16711680|0.5|8|2|3|2|true|true|true"},
      {New("GlowFilter", {"255", "0.25", "3", "5", "4", "3", "true", "true"}) +
           Show({"color", "alpha", "blurX", "blurY", "strength", "quality", "inner", "knockout"}),
       "255|0.25|3|5|4|3|true|true"},
      {New("BevelFilter", {"5", "30", "65280", "0.25", "255", "0.75", "2", "3", "1.5", "3", "'full'", "true"}) +
           Show({"distance", "angle", "highlightColor", "highlightAlpha", "shadowColor", "shadowAlpha", "blurX", "blurY",
                 "strength", "quality", "type", "knockout"}),
       "5|30|65280|0.25|255|0.75|2|3|1.5|3|full|true"},
      {"push 255, 16711680, 2; initArray; storeRegister 2; pop; push 0.5, 1, 2; initArray; storeRegister 3; pop; "
       "push 255, 0, 2; initArray; storeRegister 1; pop; " +
           New("GradientBevelFilter", {"2", "10", "r:2", "r:3", "r:1", "6", "7", "2", "2", "'outer'", "true"}) +
           Show({"distance", "angle", "colors", "alphas", "ratios", "blurX", "blurY", "strength", "quality", "type",
                 "knockout"}),
       "2|10|16711680,255|1,0.5|0,255|6|7|2|2|outer|true"},
      {"push 3, 2, 1, 3; initArray; storeRegister 2; pop; " +
           New("ConvolutionFilter", {"3", "1", "r:2", "6", "1", "false", "false", "1193046", "0.5"}) +
           Show({"matrixX", "matrixY", "matrix", "divisor", "bias", "preserveAlpha", "clamp", "color", "alpha"}),
       "3|1|1,2,3|6|1|false|false|1193046|0.5"},
      {"push 3, 2, 1, 3; initArray; storeRegister 2; pop; " + New("ColorMatrixFilter", {"r:2"}) + Show({"matrix"}),
       "1,2,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunCode(8, c.code), c.expected) << c.code;
}

TEST(FilterClassesTest, RangesCopiesAndClone) {
  const struct {
    std::string code;
    const char* expected;
  } cases[] = {
      {New("BlurFilter", {}) + Set("blurX", "300") + Set("blurY", "-5") + Set("quality", "20") +
           Show({"blurX", "blurY", "quality"}),
       "255|0|15"},
      {New("DropShadowFilter", {}) + Set("strength", "1000") + Set("alpha", "2") + Set("angle", "400") +
           Set("color", "-1") + Show({"strength", "alpha", "angle", "color"}),
       "255|1|40|16777215"},
      {New("BevelFilter", {}) + Set("type", "'sideways'") + Show({"type"}) + Set("type", "'outer'") + Show({"type"}),
       "inner|outer"},
      // What a getter gives is a copy: changing it leaves the filter.
      {"push 2, 1, 2; initArray; storeRegister 2; pop; " + New("GradientGlowFilter", {"4", "45", "r:2", "r:2", "r:2"}) +
           "push 3, 1, r:1, 'colors'; getMember; push 'push'; callMethod; pop; " + Show({"colors"}),
       "1,2"},
      {New("BlurFilter", {"2", "3"}) +
           "push 0, r:1, 'clone'; callMethod; storeRegister 2; pop; push r:2, 'blurX', 9; setMember; " +
           Show({"blurX"}) + Show({"blurX", "blurY"}, 2) +
           "push r:2, 'flash'; getVariable; push 'filters'; getMember; push 'BlurFilter'; getMember; instanceOf; trace; "
           "push r:2, 'flash'; getVariable; push 'filters'; getMember; push 'BitmapFilter'; getMember; instanceOf; trace",
       "2|9|3|true|true"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunCode(8, c.code), c.expected) << c.code;
}

// ---- Clips and fields in a movie -------------------------------------------------------------------

std::string Traces(const std::vector<rendertest::Bytes>& tags, uint8_t version) {
  std::vector<std::wstring> log;
  SetLogSink([&log](const std::wstring& text, bool) { log.push_back(text); });
  rendertest::Paint(rendertest::Movie(100, 100, tags, version), {.ticks = 1});
  SetLogSink({});
  std::string out;
  const std::wstring prefix = L"Movie trace :: ";
  for (const auto& line : log)
    if (line.rfind(prefix, 0) == 0) out += (out.empty() ? "" : "|") + WideToUtf8(line.substr(prefix.size()));
  return out;
}

// The clip "c" into register 1, then statements on it.
std::string OnClip(const std::string& statements) { return "push 'c'; getVariable; storeRegister 1; pop; " + statements; }

TEST(ClipEffectsTest, FiltersBlendModeCachingAndBackground) {
  rendertest::ShapeBuilder square;
  square.Fill(rendertest::Solid({0, 0, 0})).Rect(0, 0, 400, 400, 1);
  const auto sprite = flashtest::Sprite(2, {rendertest::Place(1, 1, rendertest::Translate(0, 0)), moviebytes::ShowFrame()});
  const struct {
    uint8_t version;
    std::string code;
    const char* expected;
  } cases[] = {
      {8,
       OnClip("push r:1, 'filters'; getMember; push 'length'; getMember; trace; " + Show({"cacheAsBitmap"}) +
              New("BlurFilter", {"8", "6"}, 2) + New("GlowFilter", {}, 3) + "push r:1, 'filters'; " +
              Array({"r:2", "'not a filter'", "r:3"}) + "; setMember; " +
              "push r:1, 'filters'; getMember; storeRegister 2; push 'length'; getMember; trace; " +
              "push r:2, 0; getMember; push 'blurX', 1; setMember; " +
              "push r:1, 'filters'; getMember; push 0; getMember; push 'blurX'; getMember; trace; " +
              "push r:1, 'filters'; getMember; push 1; getMember; push 'color'; getMember; trace; " +
              Show({"cacheAsBitmap"}) + "push r:1, 'filters', 0; initArray; setMember; " + Show({"cacheAsBitmap"}) +
              Set("cacheAsBitmap", "true") + Show({"cacheAsBitmap"})),
       "0|false|2|8|16711680|true|false|true"},
      {8,
       OnClip(Show({"blendMode"}) + Set("blendMode", "3") + Show({"blendMode"}) + Set("blendMode", "'screen'") +
              Show({"blendMode"}) + Set("blendMode", "'Screen'") + Set("blendMode", "99") + Show({"blendMode"}) +
              Set("blendMode", "'hardlight'") + Show({"blendMode"})),
       "normal|multiply|screen|screen|hardlight"},
      {8,
       OnClip(Show({"opaqueBackground"}) + Set("opaqueBackground", "16711935") + Show({"opaqueBackground"}) +
              Set("opaqueBackground", "undefined") + Show({"opaqueBackground"})),
       "undefined|16711935|undefined"},
      // A text field has them too.
      {8,
       "push 20, 50, 0, 0, 3, 't', 6, '_root'; getVariable; push 'createTextField'; callMethod; pop; "
       "push 't'; getVariable; storeRegister 1; pop; " +
           New("DropShadowFilter", {}, 2) + "push r:1, 'filters'; " + Array({"r:2"}) +
           "; setMember; push r:1, 'filters'; getMember; push 'length'; getMember; trace; " + Show({"blendMode"}),
       "1|normal"},
      // A list is bounded: 300 blurs keep 255; two of the largest convolutions keep one.
      {8,
       OnClip(New("BlurFilter", {}, 2) + New("ConvolutionFilter", {"255", "255"}, 3) +
              "push 0; storeRegister 0; pop; push 'a', 0; initArray; setVariable; "
              "loop: push r:0, 300; less2; not; if done; push 'a'; getVariable; push r:0, r:2; setMember; "
              "push r:0; increment; storeRegister 0; pop; jump loop; "
              "done: push r:1, 'filters', 'a'; getVariable; setMember; "
              "push r:1, 'filters'; getMember; push 'length'; getMember; trace; "
              "push 'b', 0; initArray; setVariable; push 'b'; getVariable; push 0, r:3; setMember; "
              "push 'b'; getVariable; push 1, r:3; setMember; push r:1, 'filters', 'b'; getVariable; setMember; "
              "push r:1, 'filters'; getMember; push 'length'; getMember; trace"),
       "255|1"},
      {7, OnClip("push r:1, 'filters'; getMember; typeOf; trace; push r:1, 'blendMode'; getMember; typeOf; trace"),
       "undefined|undefined"},
  };
  for (const auto& c : cases) {
    const std::vector<rendertest::Bytes> tags = {square.Tag(1), sprite, flashtest::Place(1, 2, 0, 0, "c"),
                                                 flashtest::Script(c.code)};
    EXPECT_EQ(Traces(tags, c.version), c.expected) << c.code;
  }
}

}  // namespace
