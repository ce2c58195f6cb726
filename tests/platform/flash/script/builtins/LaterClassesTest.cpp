// The classes of versions 7 and 8 that need no stage, run in the
// interpreter alone: scripts written as their authors write them (compiled
// by the tests' small compiler), their traces compared with tables of what
// the documentation says: flash.geom's Point, Rectangle, Matrix and
// ColorTransform, AsBroadcaster, System, ContextMenu, PrintJob,
// ExternalInterface, which versions see which class, and style sheets' CSS.
#include <gtest/gtest.h>

#include <cmath>

#include "ActionAssembler.h"
#include "ScriptCompiler.h"
#include "base/TextConv.h"
#include "platform/flash/script/builtins/CssText.h"
#include "platform/flash/script/Vm.h"

namespace {

using namespace flash::script;

struct Host : VmHost {
  std::vector<std::wstring> traces;
  void Trace(const std::wstring& t) override { traces.push_back(t); }
  void Warn(const std::wstring&) override {}
  double Seconds() override { return 100; }
  double EpochMs() override { return 946684800000.0; }
};

// Runs source as a frame's actions of a movie of a version; the traces joined by "|".
std::string RunScript(int version, const std::string& source) {
  std::string error;
  const std::string text = actions::CompileScript(source, &error);
  EXPECT_EQ(error, "") << source;
  std::vector<uint8_t> code = actions::Assemble(text, &error);
  EXPECT_EQ(error, "") << text;
  code.push_back(0);
  Host host;
  Vm vm(static_cast<uint8_t>(version), host);
  Object* root = vm.NewObject();
  vm.Run(*vm.Decode(code), root, Value::Obj(root));
  std::string out;
  for (const auto& t : host.traces) out += (out.empty() ? "" : "|") + WideToUtf8(t);
  return out;
}

struct Case {
  const char* source;
  const char* expected;
};

void Table(int version, const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(RunScript(version, c.source), c.expected) << c.source;
}

TEST(GeomClasses, PointFollowsItsDefinition) {
  Table(8, {
      {"var p = new flash.geom.Point(3, 4); trace(p.length); trace(p); trace(new flash.geom.Point());",
       "5|(x=3, y=4)|(x=0, y=0)"},
      {"var P = flash.geom.Point; var a = new P(1, 2), b = new P(3, 5); trace(a.add(b)); trace(a.subtract(b)); trace(a);",
       "(x=4, y=7)|(x=-2, y=-3)|(x=1, y=2)"},
      {"var P = flash.geom.Point; trace(P.distance(new P(0, 0), new P(6, 8)));", "10"},
      // f = 1 gives the first point, 0 the second.
      {"var P = flash.geom.Point; trace(P.interpolate(new P(0, 0), new P(8, 4), 0.25)); "
       "trace(P.interpolate(new P(0, 0), new P(8, 4), 1));",
       "(x=6, y=3)|(x=0, y=0)"},
      {"var p = flash.geom.Point.polar(2, Math.PI); trace(Math.round(p.x) + ',' + Math.round(p.y));", "-2,0"},
      {"var p = new flash.geom.Point(3, 4); p.normalize(10); trace(p); p.offset(-1, 2); trace(p);",
       "(x=6, y=8)|(x=5, y=10)"},
      {"var p = new flash.geom.Point(1, 2); var q = p.clone(); q.x = 7; trace(p.x); trace(p.equals(p.clone())); "
       "trace(p.equals({x: 1, y: 2})); trace(p.equals(q));",
       "1|true|false|false"},
  });
}

TEST(GeomClasses, RectangleEdgesCornersAndSetOperations) {
  Table(8, {
      {"var r = new flash.geom.Rectangle(10, 20, 30, 40); trace(r.left + ',' + r.right + ',' + r.top + ',' + r.bottom); "
       "trace(r.topLeft); trace(r.bottomRight); trace(r.size); trace(r);",
       "10,40,20,60|(x=10, y=20)|(x=40, y=60)|(x=30, y=40)|(x=10, y=20, w=30, h=40)"},
      // Moving an edge keeps the opposite one.
      {"var r = new flash.geom.Rectangle(10, 20, 30, 40); r.left = 0; trace(r); r.right = 50; trace(r); "
       "r.top = 30; trace(r); r.bottom = 35; trace(r);",
       "(x=0, y=20, w=40, h=40)|(x=0, y=20, w=50, h=40)|(x=0, y=30, w=50, h=30)|(x=0, y=30, w=50, h=5)"},
      {"var P = flash.geom.Point; var r = new flash.geom.Rectangle(10, 20, 30, 40); r.topLeft = new P(0, 0); trace(r); "
       "r.bottomRight = new P(5, 6); trace(r); r.size = new P(1, 2); trace(r);",
       "(x=0, y=0, w=40, h=60)|(x=0, y=0, w=5, h=6)|(x=0, y=0, w=1, h=2)"},
      // The right and bottom edges lie outside.
      {"var r = new flash.geom.Rectangle(10, 20, 30, 40); trace(r.contains(10, 20)); trace(r.contains(40, 20)); "
       "trace(r.contains(39.5, 59.5)); trace(r.containsPoint(new flash.geom.Point(9, 30)));",
       "true|false|true|false"},
      {"var R = flash.geom.Rectangle; var r = new R(0, 0, 10, 10); trace(r.containsRectangle(new R(2, 2, 8, 8))); "
       "trace(r.containsRectangle(new R(2, 2, 9, 8)));",
       "true|false"},
      {"var R = flash.geom.Rectangle; var a = new R(0, 0, 10, 10), b = new R(5, 5, 10, 10), c = new R(20, 20, 1, 1); "
       "trace(a.intersection(b)); trace(a.intersects(b)); trace(a.intersection(c)); trace(a.intersects(c)); "
       "trace(a.union(b)); trace(new R().union(c));",
       "(x=5, y=5, w=5, h=5)|true|(x=0, y=0, w=0, h=0)|false|(x=0, y=0, w=15, h=15)|(x=20, y=20, w=1, h=1)"},
      {"var r = new flash.geom.Rectangle(10, 20, 30, 40); r.inflate(2, 3); trace(r); "
       "r.inflatePoint(new flash.geom.Point(-2, -3)); trace(r); r.offset(1, 1); trace(r); "
       "r.offsetPoint(new flash.geom.Point(-1, -1)); trace(r);",
       "(x=8, y=17, w=34, h=46)|(x=10, y=20, w=30, h=40)|(x=11, y=21, w=30, h=40)|(x=10, y=20, w=30, h=40)"},
      {"var R = flash.geom.Rectangle; trace(new R().isEmpty()); trace(new R(0, 0, 1, -1).isEmpty()); "
       "var r = new R(1, 2, 3, 4); trace(r.isEmpty()); trace(r.equals(r.clone())); trace(r.equals(new R(1, 2, 3, 5))); "
       "r.setEmpty(); trace(r);",
       "true|true|false|true|false|(x=0, y=0, w=0, h=0)"},
  });
}

TEST(GeomClasses, MatrixComposesAsDocumented) {
  Table(8, {
      {"trace(new flash.geom.Matrix());", "(a=1, b=0, c=0, d=1, tx=0, ty=0)"},
      // Each operation applies after what the matrix already does.
      {"var m = new flash.geom.Matrix(); m.translate(5, 6); m.scale(2, 3); trace(m);",
       "(a=2, b=0, c=0, d=3, tx=10, ty=18)"},
      {"var M = flash.geom.Matrix; var m = new M(1, 0, 0, 1, 10, 0); m.concat(new M(2, 0, 0, 2, 0, 0)); trace(m);",
       "(a=2, b=0, c=0, d=2, tx=20, ty=0)"},
      {"var m = new flash.geom.Matrix(); m.rotate(Math.PI / 2); var p = m.transformPoint(new flash.geom.Point(1, 0)); "
       "trace(Math.round(p.x) + ',' + Math.round(p.y));",
       "0,1"},
      {"var m = new flash.geom.Matrix(1, 2, 3, 4, 5, 6); trace(m.transformPoint(new flash.geom.Point(1, 1))); "
       "trace(m.deltaTransformPoint(new flash.geom.Point(1, 1)));",
       "(x=9, y=12)|(x=4, y=6)"},
      {"var m = new flash.geom.Matrix(2, 0, 0, 4, 10, 20); m.invert(); trace(m); "
       "var p = m.transformPoint(new flash.geom.Point(12, 24)); trace(p);",
       "(a=0.5, b=0, c=0, d=0.25, tx=-5, ty=-5)|(x=1, y=1)"},
      {"var m = new flash.geom.Matrix(); m.createBox(2, 3, 0, 10, 20); trace(m); m.identity(); trace(m);",
       "(a=2, b=0, c=0, d=3, tx=10, ty=20)|(a=1, b=0, c=0, d=1, tx=0, ty=0)"},
      // The gradient square is 1638.4 pixels, centred on the box.
      {"var m = new flash.geom.Matrix(); m.createGradientBox(1638.4, 819.2, 0, 10, 20); trace(m);",
       "(a=1, b=0, c=0, d=0.5, tx=829.2, ty=429.6)"},
      {"var m = new flash.geom.Matrix(); m.createBox(1, 1, Math.PI / 2); trace(Math.round(m.b) + ',' + Math.round(m.c));",
       "1,-1"},
      {"var m = new flash.geom.Matrix(1, 2, 3, 4, 5, 6); var n = m.clone(); n.tx = 0; trace(m.tx);", "5"},
  });
}

TEST(GeomClasses, ColorTransformChannelsRgbAndConcat) {
  Table(8, {
      {"trace(new flash.geom.ColorTransform());",
       "(redMultiplier=1, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, redOffset=0, greenOffset=0, "
       "blueOffset=0, alphaOffset=0)"},
      {"var ct = new flash.geom.ColorTransform(); ct.rgb = 0x336699; "
       "trace(ct.redOffset + ',' + ct.greenOffset + ',' + ct.blueOffset + ',' + ct.redMultiplier + ',' + ct.alphaMultiplier); "
       "trace(ct.rgb.toString(16));",
       "51,102,153,0,1|336699"},
      // The second transform applies before this one.
      {"var CT = flash.geom.ColorTransform; var a = new CT(2, 1, 1, 1, 10, 0, 0, 0); "
       "a.concat(new CT(0.5, 1, 1, 1, 4, 0, 0, 0)); trace(a.redMultiplier + ',' + a.redOffset);",
       "1,18"},
  });
}

TEST(LaterClasses, TypeOfEachClassAndWhichVersionsSeeThem) {
  const char* names =
      "trace(typeof AsBroadcaster); trace(typeof System); trace(typeof System.capabilities); "
      "trace(typeof ContextMenu); trace(typeof ContextMenuItem); trace(typeof PrintJob); trace(typeof flash); "
      "trace(typeof flash.geom.Point); trace(typeof flash.geom.Rectangle); trace(typeof flash.geom.Matrix); "
      "trace(typeof flash.geom.ColorTransform); trace(typeof flash.external.ExternalInterface);";
  EXPECT_EQ(RunScript(8, names), "function|object|object|function|function|function|object|function|function|function|"
                           "function|object");
  // Version 7 has no flash packages; version 6 not the classes of 7 either.
  EXPECT_EQ(RunScript(7, names), "function|object|object|function|function|function|undefined|undefined|undefined|"
                           "undefined|undefined|undefined");
  EXPECT_EQ(RunScript(6, names), "function|object|object|undefined|undefined|undefined|undefined|undefined|undefined|"
                           "undefined|undefined|undefined");
  // Names are case-sensitive from version 7.
  EXPECT_EQ(RunScript(6, "trace(typeof system); trace(typeof asbroadcaster);"), "object|function");
  EXPECT_EQ(RunScript(7, "trace(typeof system); trace(typeof contextmenu); trace(typeof ContextMenu);"),
            "undefined|undefined|function");
}

TEST(LaterClasses, AsBroadcasterGivesHiddenSharedMethods) {
  Table(7, {
      {"var o = {}; AsBroadcaster.initialize(o); var l = {}; l.ping = function(a, b) { trace('ping ' + a + b); }; "
       "o.addListener(l); o.broadcastMessage('ping', 1, 2); trace(o.addListener == AsBroadcaster.addListener); "
       "for (var k in o) trace(k); o.removeListener(l); o.broadcastMessage('ping', 3, 4); trace(o._listeners.length);",
       "ping 12|true|0"},
      // A listener added again is called once, after the others.
      {"var o = {}; AsBroadcaster.initialize(o); var a = {n: 'a'}, b = {n: 'b'}; "
       "a.hi = function() { trace(this.n); }; b.hi = a.hi; o.addListener(a); o.addListener(b); o.addListener(a); "
       "o.broadcastMessage('hi'); trace(o.removeListener({})); trace(o.broadcastMessage('none'));",
       "b|a|false|true"},
  });
}

TEST(LaterClasses, SystemAnswersWithThePlayersValues) {
  Table(8, {
      {"var c = System.capabilities; trace(c.playerType); trace(c.hasPrinting); trace(c.hasAudio); "
       "trace(c.version == getVersion()); trace(c.manufacturer); trace(typeof c.screenResolutionX); "
       "trace(c.os.indexOf('Windows'));",
       "StandAlone|false|true|true|Macromedia Windows|number|0"},
      // The server string says the same in its own words.
      {"var c = System.capabilities; var s = c.serverString; "
       "trace(s.indexOf('&R=' + c.screenResolutionX + 'x' + c.screenResolutionY + '&') > 0); "
       "trace(s.indexOf('V=WIN%2032%2C0%2C0%2C0') > 0); trace(s.indexOf('&L=' + c.language) > 0); "
       "trace(s.indexOf('A=t&') == 0); trace(s.indexOf('PR=f') > 0);",
       "true|true|true|true|true"},
      {"trace(System.security.sandboxType); trace(typeof System.security.allowDomain); "
       "trace(System.security.allowDomain('example.com')); trace(System.exactSettings);",
       "localWithFile|function|undefined|true"},
  });
}

TEST(LaterClasses, ContextMenuItemsFlagsAndCopies) {
  Table(7, {
      {"var m = new ContextMenu(); trace(m.builtInItems.zoom + ',' + m.builtInItems.forward_back + ',' + "
       "m.customItems.length); m.hideBuiltInItems(); trace(m.builtInItems.zoom + ',' + m.builtInItems.print);",
       "true,true,0|false,false"},
      {"function f() {} var item = new ContextMenuItem('Hello', f); "
       "trace(item.caption + ',' + item.separatorBefore + ',' + item.enabled + ',' + item.visible + ',' + (item.onSelect == f)); "
       "var other = new ContextMenuItem('Off', f, true, false, false); "
       "trace(other.separatorBefore + ',' + other.enabled + ',' + other.visible);",
       "Hello,false,true,true,true|true,false,false"},
      // A copy has its own flags and copies of the items.
      {"var m = new ContextMenu(function() {}); m.hideBuiltInItems(); var item = new ContextMenuItem('A', null); "
       "m.customItems.push(item); var c = m.copy(); "
       "trace(c.customItems.length + ',' + c.customItems[0].caption + ',' + (c.customItems[0] == item) + ',' + "
       "c.builtInItems.zoom + ',' + (c.onSelect == m.onSelect)); c.builtInItems.zoom = true; c.customItems[0].caption = 'B'; "
       "trace(m.builtInItems.zoom + ',' + item.caption);",
       "1,A,false,false,true|false,A"},
  });
}

TEST(LaterClasses, NoPrinterAndNoContainer) {
  Table(8, {
      {"var pj = new PrintJob(); trace(pj.start()); trace(pj.addPage(0)); trace(pj.paperWidth); trace(pj.send());",
       "false|false|undefined|undefined"},
      {"var ei = flash.external.ExternalInterface; trace(ei.available); trace(ei.call('f', 1)); "
       "trace(ei.addCallback('f', null, function() {})); ei.available = true; trace(ei.available);",
       "false|null|false|false"},
  });
}

TEST(StyleSheetText, CssReadsIntoCamelCaseRules) {
  std::vector<CssRule> rules;
  ASSERT_TRUE(ParseCss(L"/* head */ p, .note { font-size: 12px; color:#FF0000 ; }\nh1{font-weight:bold}", rules));
  ASSERT_EQ(rules.size(), 3u);
  EXPECT_EQ(rules[0].selector, L"p");
  EXPECT_EQ(rules[1].selector, L".note");
  EXPECT_EQ(rules[2].selector, L"h1");
  ASSERT_EQ(rules[0].declarations.size(), 2u);
  EXPECT_EQ(rules[0].declarations[0], (std::pair<std::wstring, std::wstring>{L"fontSize", L"12px"}));
  EXPECT_EQ(rules[0].declarations[1], (std::pair<std::wstring, std::wstring>{L"color", L"#FF0000"}));
  for (const wchar_t* broken : {L"p { color: red", L"p { color }", L"{ color: red }", L"p { a: b } /* open"}) {
    rules.clear();
    EXPECT_FALSE(ParseCss(broken, rules)) << WideToUtf8(broken);
  }
  EXPECT_EQ(CssColor(L"#0a0"), 0x00AA00);
  EXPECT_EQ(CssColor(L"red"), -1);
  EXPECT_EQ(CssNumber(L"14pt"), 14);
  EXPECT_TRUE(std::isnan(CssNumber(L"big")));
}

TEST(StyleSheetText, HtmlShowsThroughTheStyles) {
  const CssDeclarations p{{L"color", L"#0000FF"}}, hidden{{L"display", L"none"}}, block{{L"display", L"block"}},
      big{{L"fontSize", L"20"}};
  auto lookup = [&](const std::wstring& s) -> const CssDeclarations* {
    if (s == L"p") return &p;
    if (s == L".secret") return &hidden;
    if (s == L"h") return &block;
    if (s == L"span") return &big;
    return nullptr;
  };
  const StyledHtml a = ApplyStyles(L"<p>One <span class='secret'>two</span>three</p><p>four &amp; <b>five</b></p>", lookup);
  EXPECT_EQ(WideToUtf8(a.text), "One three\rfour & five");
  EXPECT_EQ(a.style, p);
  // The first character's style is every enclosing element's, the outer first.
  const StyledHtml b = ApplyStyles(L"<p><span>x</span></p><h>y</h>z", lookup);
  EXPECT_EQ(WideToUtf8(b.text), "x\ry\rz");
  EXPECT_EQ(b.style, (CssDeclarations{{L"color", L"#0000FF"}, {L"fontSize", L"20"}}));
}

}  // namespace
