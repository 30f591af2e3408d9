// Reading module images: numbers, items, the header checks and type texts.
#include <gtest/gtest.h>

#include "native/modules/mod_build.h"
#include "native/modules/mod_image.h"

namespace {

uint32_t vnum_of(const mb_bytes &b, size_t *used = nullptr) {
  mi_span s = {b.data(), b.size()};
  mi_reader r = mi_reader_of(s);
  uint32_t v = 0xDEAD;
  EXPECT_EQ(mi_vnum(&r, &v), 1);
  if (used) *used = (size_t)(r.p - b.data());
  return v;
}

TEST(Vnum, DocumentedExamples) {
  EXPECT_EQ(vnum_of({0x10}), 4u);
  EXPECT_EQ(vnum_of({0x99, 0x01}), 102u);
}

TEST(Vnum, RoundTripsAtEveryWidthBoundary) {
  const uint32_t values[] = {0, 1, 63, 64, 16383, 16384, (1u << 22) - 1, 1u << 22,
                             (1u << 30) - 1};
  const size_t widths[] = {1, 1, 1, 2, 2, 3, 3, 4, 4};
  for (size_t i = 0; i < sizeof values / sizeof values[0]; i++) {
    mb_bytes b;
    mb_vnum(b, values[i]);
    EXPECT_EQ(b.size(), widths[i]) << values[i];
    size_t used;
    EXPECT_EQ(vnum_of(b, &used), values[i]);
    EXPECT_EQ(used, widths[i]);
  }
}

TEST(Vnum, TruncatedNumbersAndItemsAreRefused) {
  const uint8_t two[] = {0x99};   // announces one more byte
  mi_reader r = mi_reader_of({two, 1});
  uint32_t v;
  EXPECT_EQ(mi_vnum(&r, &v), 0);
  EXPECT_EQ(r.p, two);            // nothing consumed
  const uint8_t item[] = {0x0C, 'a', 'b'};   // length 3, two bytes present
  r = mi_reader_of({item, sizeof item});
  mi_span s;
  EXPECT_EQ(mi_item(&r, &s), 0);
  EXPECT_EQ(r.p, item);
  r = mi_reader_of({item, 0});
  EXPECT_EQ(mi_vnum(&r, &v), 0);
}

mb_bytes sample(uint32_t *hdr = nullptr) {
  mb_image im;
  im.code = {0x31, 0xC0, 0xC3, 0, 0, 0, 0};
  im.name = "m";
  mb_member(im.members, "f", "", 0, mb_sig({3}, {3}), 0);
  return mb_finish(im, hdr);
}

TEST(ImageCheck, AcceptsBuiltImage) {
  mb_bytes b = sample();
  mi_header h;
  ASSERT_EQ(mi_check(b.data(), b.size(), &h), 1);
  mi_module m;
  ASSERT_EQ(mi_module_of(h.desc, &m), 1);
  EXPECT_STREQ(mi_text(m.name), "m");
  EXPECT_EQ(m.comment.n, 0u);
  EXPECT_EQ(h.relocs.n, 0u);
  EXPECT_EQ(h.imports.n, 0u);
}

TEST(ImageCheck, EveryHeaderCheckRejects) {
  uint32_t hdr;
  const mb_bytes good = sample(&hdr);
  mi_header h;
  mb_bytes b = good;
  b[0] = 0xE9;
  EXPECT_EQ(mi_check(b.data(), b.size(), &h), 0) << "first byte";
  b = good;
  mi_put32(&b[2], 0);
  EXPECT_EQ(mi_check(b.data(), b.size(), &h), 0) << "zero header offset";
  b = good;
  mi_put32(&b[2], (uint32_t)b.size() - 3);
  EXPECT_EQ(mi_check(b.data(), b.size(), &h), 0) << "signature past the end";
  b = good;
  mi_put32(&b[2], 0xFFFFFFF0u);
  EXPECT_EQ(mi_check(b.data(), b.size(), &h), 0) << "header offset far out";
  b = good;
  b[hdr + 3] = 2;
  EXPECT_EQ(mi_check(b.data(), b.size(), &h), 0) << "signature";
  EXPECT_EQ(mi_check(good.data(), 5, &h), 0) << "too short";
  EXPECT_EQ(mi_check(nullptr, 100, &h), 0);
  // Each block claiming more bytes than remain.
  for (int block = 0; block < 3; block++) {
    b = good;
    size_t at = hdr + 4;
    mi_reader r = mi_reader_of({b.data() + at, b.size() - at});
    mi_span s;
    for (int i = 0; i < block; i++) ASSERT_EQ(mi_item(&r, &s), 1);
    size_t pos = (size_t)(r.p - b.data());
    b[pos] = 0xFF;   // vnum of 4 bytes, far beyond the image
    b[pos] |= 3;
    EXPECT_EQ(mi_check(b.data(), b.size(), &h), 0) << "block " << block;
    b = good;
    b.resize(pos);   // block missing entirely
    EXPECT_EQ(mi_check(b.data(), b.size(), &h), 0) << "block " << block;
  }
}

TEST(ImageRead, MembersAndSignatures) {
  mb_image im;
  im.code.assign(16, 0x90);
  mb_member(im.members, "get", "allocate", 0, mb_sig({3}, {3}), 6);
  mb_member(im.members, "v", "", 0x13 | MI_WRITE, {}, 8);
  mb_bytes b = mb_finish(im, nullptr);
  mi_header h;
  mi_module m;
  ASSERT_EQ(mi_check(b.data(), b.size(), &h), 1);
  ASSERT_EQ(mi_module_of(h.desc, &m), 1);
  EXPECT_EQ(m.name.n, 0u);   // unnamed
  mi_reader r = mi_reader_of(m.members);
  mi_member x;
  ASSERT_EQ(mi_next_member(&r, &x), 1);
  EXPECT_STREQ(mi_text(x.name), "get");
  EXPECT_STREQ(mi_text(x.comment), "allocate");
  EXPECT_EQ(mi_get32(x.addr), 6u);
  mi_sig s;
  ASSERT_EQ(mi_sig_of(x.sig, &s), 1);
  EXPECT_EQ(s.nparams, 1u);
  EXPECT_EQ(s.nresults, 1u);
  ASSERT_EQ(mi_next_member(&r, &x), 1);
  EXPECT_EQ(x.kind, 0x33);
  EXPECT_EQ(mi_next_member(&r, &x), 0);
}

TEST(ImageRead, TruncatedMemberIsMalformedNotRead) {
  mb_bytes desc;
  mb_member(desc, "f", "", 0, mb_sig({3}, {}), 0);
  for (size_t cut = 1; cut < desc.size(); cut++) {
    mi_reader r = mi_reader_of({desc.data(), cut});
    mi_member x;
    EXPECT_EQ(mi_next_member(&r, &x), -1) << cut;
  }
  mb_bytes unterminated = {0x08, 'a', 'b', 0x00, 0x00, 0x00, 0, 0, 0, 0};
  mi_reader r = mi_reader_of({unterminated.data(), unterminated.size()});
  mi_member x;
  EXPECT_EQ(mi_next_member(&r, &x), -1);
}

TEST(ImageRead, SignatureCountsBeyondItemAreMalformed) {
  mi_sig s;
  mb_bytes over = {0x0C, 3};   // three parameters, one byte
  EXPECT_EQ(mi_sig_of({over.data(), over.size()}, &s), 0);
  mb_bytes noresult = {0x04, 3};
  EXPECT_EQ(mi_sig_of({noresult.data(), noresult.size()}, &s), 0);
  EXPECT_EQ(mi_sig_of({nullptr, 0}, &s), 1);
  EXPECT_EQ(s.nparams + s.nresults, 0u);
}

std::string tt(uint8_t kind, const mb_bytes &sig) {
  char buf[64];
  mi_typetext(kind, {sig.data(), sig.size()}, buf, sizeof buf);
  return buf;
}

TEST(TypeText, BuiltInMembers) {
  EXPECT_EQ(tt(0, mb_sig({3}, {3})), "f:ud:ud;");                 // mem.get
  EXPECT_EQ(tt(0, mb_sig({3}, {})), "f:ud:;");                    // mem.free
  EXPECT_EQ(tt(0, mb_sig({7, 7}, {7})), "f:us,us:us;");           // str.cat
  EXPECT_EQ(tt(0, mb_sig({}, {3})), "f::ud;");                    // interf.new
  EXPECT_EQ(tt(0, {}), "f;");                                     // DLL export
  EXPECT_EQ(tt(0, mb_sig({0x80, 135, 0x81, 5, 6, 4, 2}, {})), "f:r,ss,sb,uq,uq,u,uw:;");
}

TEST(TypeText, VariablesDropAccessBits) {
  EXPECT_EQ(tt(0x13, {}), "ud");
  EXPECT_EQ(tt(0x33 | 0x80, {}), "sd");
  EXPECT_EQ(tt(0x90, {}), "r");
  EXPECT_EQ(tt(0x17, {}), "us");
  EXPECT_EQ(tt(0x10, {}), "u");
}

TEST(TypeText, CutToBuffer) {
  char buf[4];
  mb_bytes sig = mb_sig({7, 7}, {7});
  EXPECT_EQ(mi_typetext(0, {sig.data(), sig.size()}, buf, sizeof buf), 3u);
  EXPECT_STREQ(buf, "f:u");
}

TEST(Access, Texts) {
  EXPECT_STREQ(mi_access(0), "x");
  EXPECT_STREQ(mi_access(0x13), "r");
  EXPECT_STREQ(mi_access(0x23), "w");
  EXPECT_STREQ(mi_access(0x33), "rw");
  EXPECT_STREQ(mi_access(0x03), "");
}

}  // namespace
