/* Module contexts of the assembler: records, members, kind entries and
** references, as the services of the assembler use them. */
#include "native/asmiface/asm_ctx.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int flags_of(const char *name) {
  std::string n(name);
  if (n == "lua") return 15;
  if (n == "reader") return 1;  /* has a read handler only */
  return 0;
}

class AsmCtx : public ::testing::Test {
protected:
  void SetUp() override { ac_reset(); }
  void TearDown() override { ac_reset(); }
};

TEST_F(AsmCtx, OneRecordPerNameNewestFirst) {
  ac_context *a = ac_open("lua", flags_of);
  ac_context *b = ac_open("reader", flags_of);
  ac_context *c = ac_open("nothing", flags_of);
  EXPECT_EQ(ac_open("lua", flags_of), a);
  EXPECT_EQ(ac_first(), c);
  EXPECT_EQ(c->next, b);
  EXPECT_EQ(b->next, a);
  EXPECT_EQ(a->flags, 15);
  EXPECT_EQ(b->flags, 1);
  EXPECT_EQ(c->flags, 0);
}

TEST_F(AsmCtx, MembersOfKindsTheContextOffers) {
  ac_context *r = ac_open("reader", flags_of);
  EXPECT_NE(ac_member_of(r, "@read", 1), nullptr);
  EXPECT_EQ(ac_member_of(r, "@write", 2), nullptr);
  EXPECT_EQ(ac_member_of(r, "@run", 3), nullptr);
  ac_member *m = ac_member_of(r, "x", 0);
  EXPECT_EQ(ac_member_of(r, "x", 0), m); /* looked up once, kept */
  EXPECT_EQ(m->context, r);
  EXPECT_EQ(ac_member_of(nullptr, "x", 0), nullptr);
  EXPECT_EQ(ac_member_of(r, "x", 4), nullptr);
}

TEST_F(AsmCtx, KindEntriesReplaceByKeyAndIgnoreKindsNotOffered) {
  ac_context *r = ac_open("reader", flags_of);
  ac_member *m = ac_member_of(r, "@read", 1);
  ac_add_kind_entry(m, 100, 1, 7);
  ac_add_kind_entry(m, 200, 1, 9);
  ac_add_kind_entry(m, 300, 1, 7);
  ac_add_kind_entry(m, 400, 2, 7); /* no write handler: ignored */
  ac_add_kind_entry(m, 500, 0, 7); /* not a kind: ignored */
  EXPECT_EQ(m->entries[0].size(), 2u);
  EXPECT_EQ(m->entries[0][7], 300u);
  EXPECT_EQ(m->entries[0][9], 200u);
  EXPECT_TRUE(m->entries[1].empty());
  ac_add_kind_entry(nullptr, 1, 1, 1); /* harmless */
}

TEST_F(AsmCtx, DefineKeepsTheFirstDescriptionAndTakesTheNewValue) {
  ac_context *c = ac_open("mine", flags_of);
  ac_member *m = ac_define(c, "add", "f:ud,ud:ud;", 16);
  EXPECT_EQ(ac_define(c, "add", "other", 32), m);
  EXPECT_EQ(m->desc, "f:ud,ud:ud;");
  EXPECT_EQ(m->value, 32u);
  ac_member *v = ac_define(c, "count", "ud", 40);
  EXPECT_NE(v, m);
  EXPECT_EQ(c->members, v);
  EXPECT_EQ(ac_define(nullptr, "x", "", 0), nullptr);
}

TEST_F(AsmCtx, ReferencesInTheOrderRecorded) {
  ac_context *c = ac_open("lua", flags_of);
  ac_record_reference(c, 11, 0);
  ac_record_reference(c, 23, 1);
  ASSERT_EQ(c->refs.size(), 2u);
  EXPECT_EQ(c->refs[1].offset, 23u);
  EXPECT_EQ(c->refs[1].number, 1u);
  ac_record_reference(nullptr, 1, 2); /* harmless */
}

} // namespace
