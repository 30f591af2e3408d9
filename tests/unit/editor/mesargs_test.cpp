// The message table of `mes' against the component's interface description
// read here independently, the rules it cannot give, and the XPM check
// against the component's own XPM reader (run under the sanitizers).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <string>

#include "editor/mesargs.h"

#include "ScintillaTypes.h"
#include "Debugging.h"
#include "Geometry.h"
#include "Platform.h"
#include "XPM.h"

namespace {

int kind(unsigned m) { return ma_classify(m) & 0xF; }

struct param {
  std::string type, name;
};
struct described {
  std::string name, ret;
  param wp, lp;
};

param split(std::string s) {
  std::smatch m;
  static const std::regex re(R"(^\s*(\w+)\s+(\w+))");
  if (std::regex_search(s, m, re)) return {m[1], m[2]};
  return {};
}

// every function, getter and setter of the interface description
const std::map<unsigned, described> &iface() {
  static std::map<unsigned, described> all;
  if (!all.empty()) return all;
  std::ifstream f(TRELK_IFACE);
  static const std::regex re(R"(^(fun|get|set)\s+(\w+)\s+(\w+)=(\d+)\(([^,]*),([^)]*)\))");
  std::string line;
  std::smatch m;
  while (std::getline(f, line))
    if (std::regex_search(line, m, re))
      all[std::stoul(m[4])] = {m[3], m[2], split(m[5]), split(m[6])};
  return all;
}

bool unusable(const std::string &t) {
  return t == "pointer" || t.rfind("textrange", 0) == 0 ||
         t.rfind("findtext", 0) == 0 || t.rfind("formatrange", 0) == 0;
}

// answered by the program, not by the component
bool own(unsigned m) { return m == 2090 || m == 2091 || m == 4001 || m == 4002 || m == 4012; }

TEST(MesArgs, TheTableHoldsEveryMessageOfTheInterface) {
  const auto &all = iface();
  ASSERT_GT(all.size(), 700u) << "cannot read " << TRELK_IFACE;
  size_t n;
  const ma_message *t = ma_interface(&n);
  EXPECT_EQ(all.size(), n);
  for (size_t i = 0; i < n; i++) {
    auto it = all.find(t[i].msg);
    ASSERT_NE(it, all.end()) << t[i].msg;
    EXPECT_EQ(it->second.name, t[i].name);
    if (i > 0) {   // sorted: searched by halves
      EXPECT_LT(t[i - 1].msg, t[i].msg);
    }
  }
}

TEST(MesArgs, ParametersFollowTheirDescribedTypes) {
  for (const auto &[msg, d] : iface()) {
    if (own(msg)) continue;
    int k = ma_classify(msg);
    SCOPED_TRACE(d.name + " " + std::to_string(msg));
    bool refused = unusable(d.wp.type) || unusable(d.lp.type) ||
                   (d.ret == "pointer" && d.name.rfind("Create", 0) == 0);
    EXPECT_EQ(refused, (k & 0xF) == MA_REFUSED);
    if (refused) continue;
    EXPECT_EQ(d.wp.type == "string", (k & MA_WP_TEXT) != 0);
    EXPECT_EQ(d.lp.type == "string" || d.lp.type == "cells", (k & MA_LP_TEXT) != 0);
    EXPECT_EQ(d.lp.type == "stringresult", (k & 0xF) == MA_OUT);
    bool counts = d.wp.name == "length" && (d.lp.type == "string" || d.lp.type == "cells");
    EXPECT_EQ(counts, (k & MA_WP_LENGTH) != 0);
    EXPECT_EQ(d.wp.name == "length" && d.lp.type == "stringresult", (k & MA_WP_SIZE) != 0);
  }
}

TEST(MesArgs, PointersScriptsCannotGiveAreTexts) {
  // a number there used to be read as an address
  EXPECT_EQ(MA_LP_TEXT | MA_WP_LENGTH, ma_classify(2073) & (MA_LP_TEXT | MA_WP_LENGTH));  // SetStylingEx
  EXPECT_TRUE(ma_classify(2105) & MA_LP_TEXT);    // AutoCStops
  EXPECT_TRUE(ma_classify(2700) & MA_LP_TEXT);    // ToggleFoldShowText
  EXPECT_TRUE(ma_classify(4010) & MA_WP_TEXT);    // GetPropertyInt: key, default
  EXPECT_FALSE(ma_classify(4010) & MA_LP_TEXT);
  for (unsigned m : {2766u, 2767u, 2768u, 2769u})   // representations
    EXPECT_TRUE(ma_classify(m) & MA_WP_TEXT) << m;
}

TEST(MesArgs, IntegerMessagesAreNotTexts) {
  // style numbers of margin and annotation text, the fold text's style
  for (unsigned m : {2624u, 2625u, 2651u})
    EXPECT_EQ(MA_PLAIN, ma_classify(m)) << m;
  for (unsigned m : {2532u, 2542u, 2701u})
    EXPECT_EQ(0, ma_classify(m) & (MA_LP_TEXT | MA_WP_TEXT | 0xF)) << m;
  for (unsigned m : {2006u, 2008u, 2024u, 4001u, 4002u, 2091u, 2090u})
    EXPECT_EQ(MA_PLAIN, ma_classify(m)) << m;
}

TEST(MesArgs, BuffersTheComponentFills) {
  for (unsigned m : {2182u, 2161u, 2027u, 2153u, 4008u, 2687u, 2531u, 2541u})
    EXPECT_EQ(MA_OUT, kind(m)) << m;
  EXPECT_TRUE(ma_classify(2182) & MA_WP_SIZE);    // GETTEXT: wParam sizes it
  EXPECT_FALSE(ma_classify(2153) & MA_WP_SIZE);   // GETLINE: a line number
  EXPECT_TRUE(ma_classify(4008) & MA_WP_TEXT);    // GETPROPERTY: key in, value out
  EXPECT_TRUE(ma_classify(2449) & MA_WP_TEXT);    // ENCODEDFROMUTF8
}

TEST(MesArgs, StructuresAndObjectsAreRefused) {
  for (unsigned m : {2150u, 2162u, 2151u, 2358u, 2376u, 2377u, 4033u, 4013u, 2015u,
                     2039u, 2196u, 2777u, 2778u, 2375u, 2632u})
    EXPECT_EQ(MA_REFUSED, kind(m)) << m;
  // window messages the component leaves to the system's default handling
  for (unsigned m : {0x0001u, 0x0002u, 0x0010u, 0x0024u, 0x0046u, 0x0081u, 0x0082u,
                     0x0083u, 0x00A1u, 0x0112u, 0x00B0u, 0x0000u})
    EXPECT_EQ(MA_REFUSED, kind(m)) << m;
  for (unsigned m : {0x0434u, 0x0437u, 0x0439u, 0x044Bu, 0x044Fu})   // rich-edit structures
    EXPECT_EQ(MA_REFUSED, kind(m)) << m;
}

TEST(MesArgs, WindowMessagesTheComponentAnswers) {
  for (unsigned m : {0x0300u, 0x0301u, 0x0302u, 0x0304u, 0x00B1u, 0x00C6u, 0x0102u, 0x000Fu})
    EXPECT_EQ(MA_PLAIN, ma_classify(m)) << m;
  EXPECT_TRUE(ma_classify(0x00C2) & MA_LP_TEXT);   // EM_REPLACESEL
  EXPECT_EQ(MA_OUT, kind(0x043E));                  // EM_GETSELTEXT
  EXPECT_EQ(MA_PLAIN, ma_classify(0x0500));         // unknown, left alone by everyone
}

TEST(MesArgs, TheProgramsOwnMessages) {
  EXPECT_TRUE(ma_classify(4012) & MA_WP_TEXT);   // the integer property
  EXPECT_FALSE(ma_classify(4012) & MA_LP_TEXT);
  EXPECT_EQ(MA_PLAIN, kind(4012));
  EXPECT_STREQ("SetLexer", ma_lookup(4001)->name);
  EXPECT_EQ(nullptr, ma_lookup(4001 + 100000));
}

TEST(MesArgs, TextsReadForALengthKnownElsewhere) {
  EXPECT_TRUE(ma_classify(2049) & MA_LP_XPM);     // MarkerDefinePixmap
  EXPECT_TRUE(ma_classify(2405) & MA_LP_XPM);     // RegisterImage
  EXPECT_TRUE(ma_classify(2626) & MA_LP_RGBA);
  EXPECT_TRUE(ma_classify(2627) & MA_LP_RGBA);
  EXPECT_TRUE(ma_classify(2534) & MA_LP_STYLES);
  EXPECT_EQ(2531u, ma_styles_text(2534));         // MarginGetText
  EXPECT_EQ(2541u, ma_styles_text(2544));         // AnnotationGetText
  EXPECT_EQ(0u, ma_styles_text(2530));
  EXPECT_TRUE(ma_classify(2449) & MA_WP_ENCODE);
  // the rules name messages of the interface with the parameters they expect
  EXPECT_EQ("MarginGetText", iface().at(2531).name);
  EXPECT_EQ("AnnotationGetText", iface().at(2541).name);
  EXPECT_EQ("SetLengthForEncode", iface().at(2448).name);
}

TEST(MesArgs, StyleNumbersAreBounded) {
  // every parameter the description names "style"
  int n = 0;
  for (const auto &[msg, d] : iface()) {
    if (own(msg)) continue;
    int k = ma_classify(msg);
    EXPECT_EQ(d.wp.name == "style", (k & MA_WP_STYLE) != 0) << d.name;
    EXPECT_EQ(d.lp.name == "style", (k & MA_LP_STYLE) != 0) << d.name;
    n += (k & (MA_WP_STYLE | MA_LP_STYLE)) != 0;
  }
  EXPECT_GT(n, 40);
  EXPECT_TRUE(ma_classify(2051) & MA_WP_STYLE);    // StyleSetFore
  EXPECT_TRUE(ma_classify(2532) & MA_LP_STYLE);    // MarginSetStyle
  EXPECT_TRUE(ma_classify(2553) & MA_WP_NEWSTYLES);
}

TEST(MesArgs, LinesThatIndexUncheckedArrays) {
  for (unsigned m : {2530u, 2532u, 2534u, 2093u, 2224u, 2225u, 2675u, 2676u, 2677u, 2700u})
    EXPECT_TRUE(ma_classify(m) & MA_WP_LINE) << m;
  for (unsigned m : {2540u, 2542u, 2092u, 2168u})   // checked by the component; a count
    EXPECT_FALSE(ma_classify(m) & MA_WP_LINE) << m;
  EXPECT_EQ(MA_PLAIN, ma_classify(2532) & ~(MA_WP_LINE | MA_LP_STYLE));   // numbers
}

TEST(MesArgs, ZeroTextsOnlyWhereTheComponentTestsForThem) {
  for (unsigned m : {2181u, 2170u, 2001u, 2530u, 2540u, 2740u, 2077u})
    EXPECT_TRUE(ma_classify(m) & MA_LP_ABSENT) << m;
  for (unsigned m : {2282u, 2105u, 2194u, 2197u, 2276u, 2049u, 4004u, 4005u})
    EXPECT_FALSE(ma_classify(m) & MA_LP_ABSENT) << m;
  // every rule sits on a text parameter
  for (const auto &[msg, d] : iface())
    if (ma_classify(msg) & MA_LP_ABSENT) {
      EXPECT_TRUE(d.lp.type == "string" || d.lp.type == "cells") << msg;
    }
}

// --- XPM images -----------------------------------------------------------

const char *box =
    "/* XPM */\nstatic const char * box_xpm[] = {\n\"4 3 2 1\",\n\" \tc None\",\n"
    "\".\tc #800000\",\n\"....\",\n\". .\",\n\"  ..\"};\n";

using Scintilla::Internal::RGBAImage;
using Scintilla::Internal::XPM;

TEST(MesArgsXpm, WholeImagesPass) {
  EXPECT_TRUE(ma_xpm_ok(box));
  XPM x(box);
  EXPECT_EQ(4, x.GetWidth());
  EXPECT_EQ(3, x.GetHeight());
  EXPECT_TRUE(ma_xpm_ok("/* XPM */ \" 1 1 1 1\" \"a c red\" \"a\" ;"));
  EXPECT_TRUE(ma_xpm_ok("/* XPM */ \"2 1 1 2\" \"ab\" \"\" x"));   // 2 chars a pixel: not read
}

TEST(MesArgsXpm, AnythingElseIsRefused) {
  for (const char *bad : {
           "", "/* XPM", "\"1 1 1 1\" \"a c #000000\" \"a\" ;",     // no marker
           "/* XPM */",                                              // no header
           "/* XPM */ \"1 1 1\" \"a c #000000\" \"a\" ;",            // three numbers
           "/* XPM */ \"1 1 1 1\" \"a c #000000\" \"a\"",            // nothing after
           "/* XPM */ \"1 1 1 1\" \"a c #000000\" \"aa\" ;",         // row too wide
           "/* XPM */ \"2 2 1 1\" \"a c #000000\" \"aa\" ;",         // a row missing
           "/* XPM */ \"1 1 1 1\" \"a c\" \"a\" ;",                  // colour too short
           "/* XPM */ \"1 1 1 1\" \"a c #00\" \"a\" ;",              // colour cut
           "/* XPM */ \"0 1 1 1\" \"a c #000000\" \"\" ;",           // empty
           "/* XPM */ \"5000 1 1 1\" \"a c #000000\" \"a\" ;",       // too wide
           "/* XPM */ \"1 1 1 1x\" \"a c #000000\" \"a\" ;",
           "/* XPM */ \"1 1234567 1 1\" \"a c #000000\" \"a\" ;",
           "/* XPM */ \"-1 1 1 1\" \"a c #000000\" \"a\" ;",
           "/* XPM */ \"1 1 1 1\" \"a c #000000\" \"a"})
    EXPECT_FALSE(ma_xpm_ok(bad)) << bad;
  EXPECT_FALSE(ma_xpm_ok(nullptr));
}

// Mutations of good images: whatever passes the check is read by the
// component's own reader and turned into pixels without a fault (the
// sanitizers of the native build watch), with the header's size.
TEST(MesArgsXpm, PassedImagesAreSafeForTheComponentsReader) {
  std::mt19937 rng(20240611);
  const std::string seeds[] = {box, "/* XPM */ \"3 2 2 1\" \"a c #102030\" \"b c None\" \"aba\" \"bb\" };"};
  const char alphabet[] = " \"\t#0123456789abc.,;\n";
  int passed = 0;
  for (int i = 0; i < 20000; i++) {
    std::string s = seeds[i % 2];
    int edits = 1 + rng() % 4;
    for (int k = 0; k < edits && !s.empty(); k++) {
      size_t at = 9 + rng() % (s.size() - 9 + 1);
      char c = alphabet[rng() % (sizeof alphabet - 1)];
      switch (rng() % 3) {
        case 0: if (at < s.size()) s[at] = c; break;
        case 1: s.insert(s.begin() + (long)std::min(at, s.size()), c); break;
        default: if (at < s.size()) s.erase(at, 1 + rng() % 3); break;
      }
    }
    if (!ma_xpm_ok(s.c_str())) continue;
    passed++;
    XPM x(s.c_str());
    ASSERT_GE(x.GetWidth(), 1) << s;
    ASSERT_LE(x.GetWidth(), MA_IMAGE_MAX) << s;
    RGBAImage img(x);
    ASSERT_EQ(x.GetWidth(), img.GetWidth());
  }
  EXPECT_GT(passed, 1000);   // the mutations do not only produce junk
}

}  // namespace
