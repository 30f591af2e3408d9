// The registry: check and register, names, imports, relocation, order.
#include <gtest/gtest.h>

#include <list>
#include <string>

#include "native/modules/mod_build.h"
#include "native/modules/mod_registry.h"
#include "tests/unit/modules/msg_double.h"

namespace {

const int all_slots[3] = {1, 1, 1};

class Registry : public ::testing::Test {
protected:
  std::list<mb_bytes> images;   // stable storage for registered images

  void SetUp() override {
    mr_reset();
    mr_ops.dll = [](const char *) -> mr_record * { return nullptr; };
    msg_log.clear();
  }
  void TearDown() override { mr_reset(); }

  mb_bytes &keep(const mb_bytes &b) {
    images.push_back(b);
    return images.back();
  }
  mr_record *reg(const mb_bytes &b) {
    mb_bytes &k = keep(b);
    return mr_register(k.data(), k.size());
  }
  // A module "name" with a function `f' (ud:ud) at 6 and a variable `v' at 10.
  static mb_bytes provider(const char *name) {
    mb_image im;
    im.code = {0xC3, 0x90, 0x90, 0x90, 1, 0, 0, 0};
    im.name = name;
    mb_member(im.members, "f", "", 0, mb_sig({3}, {3}), 6);
    mb_member(im.members, "v", "", 0x33, {}, 10);
    return mb_finish(im, nullptr);
  }
  static mb_bytes importer(const char *name, const char *from, const char *member,
                           uint8_t kind, const mb_bytes &sig, uint32_t codeword = 0) {
    mb_image im;
    im.code = {0xB8, 0, 0, 0, 0, 0xC3};   // mov eax, imm32; ret
    im.name = name;
    mb_bytes entries;
    mb_member(entries, member, "", kind, sig, codeword);
    im.imports = mb_import(from, all_slots, entries);
    return mb_finish(im, nullptr);
  }
};

TEST_F(Registry, RelocatesMembersAndRelocationWords) {
  mb_image im;
  im.code = {0x90, 0x90, 0xC3, 20, 0, 0, 0, 0};   // word at 9 holds 20
  im.name = "rel";
  mb_member(im.members, "f", "", 0, mb_sig({}, {}), 6);
  mb_vnum(im.relocs, 9);
  mb_bytes &b = keep(mb_finish(im, nullptr));
  mr_record *r = mr_register(b.data(), b.size());
  ASSERT_NE(r, nullptr);
  uint32_t base = mr_addr(b.data());
  mi_member x;
  ASSERT_EQ(mr_member_named(r, "f", &x), 1);
  EXPECT_EQ(mi_get32(x.addr), base + 6);
  EXPECT_EQ(mi_get32(&b[9]), base + 20);
  EXPECT_EQ(msg_log, "");
  EXPECT_EQ(mr_find("rel"), r);
  EXPECT_EQ(mr_count(), 1);
}

TEST_F(Registry, BadHeaderIsRejectedSilently) {
  mb_bytes b = provider("p");
  b[0] = 0;
  EXPECT_EQ(reg(b), nullptr);
  EXPECT_EQ(msg_log, "");
  EXPECT_EQ(mr_count(), 0);
}

TEST_F(Registry, SecondModuleOfSameNameIsRefused) {
  mb_bytes &first = keep(provider("twice"));
  ASSERT_NE(mr_register(first.data(), first.size()), nullptr);
  mb_bytes &second = keep(provider("twice"));
  mb_bytes before = second;
  EXPECT_EQ(mr_register(second.data(), second.size()), nullptr);
  EXPECT_EQ(msg_log, "Module with name 'twice' already loaded. Unload it first.");
  EXPECT_EQ(mr_count(), 1);
  EXPECT_EQ(second, before);   // a refused image is left as it was
}

TEST_F(Registry, UnnamedModulesMayRepeat) {
  EXPECT_NE(reg(provider("")), nullptr);
  EXPECT_NE(reg(provider("")), nullptr);
  EXPECT_EQ(mr_count(), 2);
  EXPECT_EQ(mr_name(mr_nth(1)), nullptr);
  EXPECT_EQ(msg_log, "");
}

TEST_F(Registry, MissingRequiredModule) {
  mb_bytes b = importer("i", "nowhere", "f", 0, mb_sig({3}, {3}));
  EXPECT_EQ(reg(b), nullptr);
  EXPECT_EQ(msg_log, "No find required module 'nowhere'");
  EXPECT_EQ(mr_count(), 0);
}

TEST_F(Registry, BindsImportSlotCodeWordAndHandlers) {
  mb_image pi;
  pi.code = {0xC3, 0xC3, 0xC3, 0xC3};
  pi.name = "p";
  pi.handler[0] = 1;
  pi.handler_addr[0] = 7;
  pi.handler[2] = 1;
  pi.handler_addr[2] = 8;
  mb_member(pi.members, "f", "", 0, mb_sig({3}, {3}), 6);
  mb_bytes &pb = keep(mb_finish(pi, nullptr));
  mr_record *p = mr_register(pb.data(), pb.size());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(mr_context_flags(p), 1 | 4);
  EXPECT_EQ(mr_context_flags(nullptr), 0);
  uint32_t pbase = mr_addr(pb.data());

  mb_bytes &ib = keep(importer("i", "p", "f", 0, mb_sig({3}, {3}), 7));
  mr_record *i = mr_register(ib.data(), ib.size());
  ASSERT_NE(i, nullptr) << msg_log;
  EXPECT_EQ(mi_get32(&ib[7]), pbase + 6);   // the mov's immediate
  EXPECT_EQ(p->users, 1u);
  ASSERT_EQ(i->nimports, 1);
  EXPECT_EQ(i->imports[0], p);
  // The import record's slots: handlers 1 and 3 copied, 2 left zero; the
  // entry's slot holds the member address.
  mi_header h;
  ASSERT_EQ(mi_check(ib.data(), ib.size(), &h), 1);
  mi_reader r = mi_reader_of(h.imports);
  mi_import imp;
  ASSERT_EQ(mi_next_import(&r, &imp), 1);
  EXPECT_EQ(mi_get32(imp.slot[0].p), pbase + 7);
  EXPECT_EQ(mi_get32(imp.slot[1].p), 0u);
  EXPECT_EQ(mi_get32(imp.slot[2].p), pbase + 8);
  mi_reader er = mi_reader_of(imp.entries);
  mi_member e;
  ASSERT_EQ(mi_next_member(&er, &e), 1);
  EXPECT_EQ(mi_get32(e.addr), pbase + 6);
}

TEST_F(Registry, ImportWithDifferentSignatureIsRefused) {
  ASSERT_NE(reg(provider("p")), nullptr);
  EXPECT_EQ(reg(importer("i", "p", "f", 0, mb_sig({3, 3}, {3}))), nullptr);
  EXPECT_EQ(msg_log, "Wrong type of member 'f' of module 'p'");
  msg_log.clear();
  EXPECT_EQ(reg(importer("i", "p", "v", 0x13, {})), nullptr);   // access differs
  EXPECT_EQ(msg_log, "Wrong type of member 'v' of module 'p'");
  msg_log.clear();
  EXPECT_EQ(reg(importer("i", "p", "nope", 0, {})), nullptr);
  EXPECT_EQ(msg_log, "No find member 'nope' of module 'p'\n");
  EXPECT_EQ(mr_count(), 1);
  EXPECT_EQ(mr_find("p")->users, 0u);   // refused importers count nothing
}

TEST_F(Registry, ImportedVariableBinds) {
  ASSERT_NE(reg(provider("p")), nullptr);
  EXPECT_NE(reg(importer("i", "p", "v", 0x33, {})), nullptr);
  EXPECT_EQ(msg_log, "");
}

uint32_t fake_api(const char *name) {
  return std::string(name) == "pushnumber" ? 0x1234 : 0;
}

TEST_F(Registry, OpenModuleResolvesAnyName) {
  mb_image li;
  li.name = "lua";
  mb_bytes &lb = keep(mb_finish(li, nullptr));
  mr_record *lua = mr_add(lb.data(), lb.size(), 0);
  ASSERT_NE(lua, nullptr);
  lua->resolve = fake_api;
  mb_bytes &ib = keep(importer("", "lua", "pushnumber", 0, {}, 7));
  ASSERT_NE(mr_register(ib.data(), ib.size()), nullptr) << msg_log;
  EXPECT_EQ(mi_get32(&ib[7]), 0x1234u);
  EXPECT_EQ(mr_context_flags(lua), 8);
  EXPECT_EQ(reg(importer("", "lua", "nosuch", 0, {})), nullptr);
  EXPECT_EQ(msg_log, "No find member 'nosuch' of module 'lua'\n");
}

mb_bytes dll_image;
std::string dll_asked;
mr_record *fake_dll(const char *name) {
  dll_asked = name;
  if (std::string(name) != "KERNEL32.dll") return nullptr;
  mb_image im;
  im.name = name;
  mb_member(im.members, "GetTickCount", "", 0, {}, 0x7000);
  dll_image = mb_finish(im, nullptr);
  return mr_add(dll_image.data(), dll_image.size(), 1);
}

TEST_F(Registry, DllModulesGoInFrontWithLoweredSuffix) {
  ASSERT_NE(reg(provider("first")), nullptr);
  mr_ops.dll = fake_dll;
  mb_bytes &ib = keep(importer("i", "KERNEL32.DLL", "GetTickCount", 0, {}, 7));
  ASSERT_NE(mr_register(ib.data(), ib.size()), nullptr) << msg_log;
  EXPECT_EQ(dll_asked, "KERNEL32.dll");
  EXPECT_STREQ(mr_name(mr_nth(1)), "KERNEL32.dll");
  EXPECT_STREQ(mr_name(mr_nth(2)), "first");
  EXPECT_STREQ(mr_name(mr_nth(3)), "i");
  EXPECT_EQ(mi_get32(&ib[7]), 0x7000u);   // absolute address, no relocation
  // A second importer finds the loaded DLL under either spelling.
  dll_asked.clear();
  EXPECT_NE(reg(importer("j", "KERNEL32.DLL", "GetTickCount", 0, {})), nullptr);
  EXPECT_EQ(dll_asked, "");
  EXPECT_EQ(mr_nth(1)->users, 2u);
}

TEST_F(Registry, DllThatCannotLoadReportsNameAsWritten) {
  mr_ops.dll = fake_dll;
  EXPECT_EQ(reg(importer("i", "Missing.DLL", "x", 0, {})), nullptr);
  EXPECT_EQ(dll_asked, "Missing.dll");
  EXPECT_EQ(msg_log, "No find required module 'Missing.DLL'");
  msg_log.clear();
  dll_asked.clear();
  EXPECT_EQ(reg(importer("i", "notadll", "x", 0, {})), nullptr);
  EXPECT_EQ(dll_asked, "");   // only names ending in .dll are tried
}

TEST_F(Registry, MalformedContentsAreReportedNotUsed) {
  mb_image im;
  im.code = {0xC3};
  im.name = "bad";
  mb_member(im.members, "f", "", 0, mb_sig({}, {}), 400);   // beyond the code
  EXPECT_EQ(reg(mb_finish(im, nullptr)), nullptr);
  EXPECT_EQ(msg_log, "Malformed module image: member outside the code\n");

  msg_log.clear();
  im.members.clear();
  mb_member(im.members, "v", "", 0x13, {}, 4);   // doubleword running into the header
  EXPECT_EQ(reg(mb_finish(im, nullptr)), nullptr);
  EXPECT_NE(msg_log.find("member outside the code"), std::string::npos);

  msg_log.clear();
  im.members.clear();
  mb_vnum(im.relocs, 5);   // overlaps the header offset
  EXPECT_EQ(reg(mb_finish(im, nullptr)), nullptr);
  EXPECT_NE(msg_log.find("relocation outside the code"), std::string::npos);

  msg_log.clear();
  im.relocs = {0x01};   // truncated vnum
  EXPECT_EQ(reg(mb_finish(im, nullptr)), nullptr);
  EXPECT_NE(msg_log.find("truncated relocation"), std::string::npos);

  msg_log.clear();
  im.relocs.clear();
  im.members = {0x08, 'x'};   // member cut short
  EXPECT_EQ(reg(mb_finish(im, nullptr)), nullptr);
  EXPECT_NE(msg_log.find("truncated member"), std::string::npos);

  msg_log.clear();
  im.members.clear();
  ASSERT_NE(reg(provider("p")), nullptr);
  EXPECT_EQ(reg(importer("i", "p", "f", 0, mb_sig({3}, {3}), 2)), nullptr);
  EXPECT_NE(msg_log.find("import slot outside the code"), std::string::npos);
  EXPECT_EQ(mr_count(), 1);
}

TEST_F(Registry, SkipsEmptyImportRecords) {
  mb_image im;
  im.code = {0xC3};
  im.name = "e";
  im.imports = mb_import("", nullptr, {});
  EXPECT_NE(reg(mb_finish(im, nullptr)), nullptr);
  EXPECT_EQ(msg_log, "");
}

TEST_F(Registry, SourceMembersAndOwner) {
  mb_bytes &b = keep(provider("p"));
  mr_record *r = mr_register(b.data(), b.size());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->source, nullptr);
  EXPECT_EQ(mr_attach_source(b.data(), "p! ret"), 1);
  EXPECT_STREQ(r->source, "p! ret");
  EXPECT_EQ(mr_attach_source(nullptr, "x"), 0);
  EXPECT_EQ(mr_member_count(r), 2);
  mi_member x;
  ASSERT_EQ(mr_member_at(r, 2, &x), 1);
  EXPECT_STREQ(mi_text(x.name), "v");
  EXPECT_EQ(mr_member_at(r, 3, &x), 0);
  EXPECT_EQ(mr_member_at(r, 0, &x), 0);
  mi_member again;
  ASSERT_EQ(mr_member_from(r, x.at, &again), 1);
  EXPECT_STREQ(mi_text(again.name), "v");
  EXPECT_EQ(mr_member_from(r, b.data(), &again), 0);
  EXPECT_EQ(mr_owner(mr_addr(r)), r);
  EXPECT_EQ(mr_owner(mr_addr(b.data())), r);
  EXPECT_EQ(mr_owner(12345), nullptr);
  EXPECT_EQ(mr_find("P"), nullptr);   // names are case-sensitive
}

TEST_F(Registry, StringRoomEndsAtTheNextMemberOrHeader) {
  mb_image im;
  im.code = {'a', 'b', 0, 0, 0, 0, 'c', 0};   // s at 6 (6 bytes), t at 12
  im.name = "strs";
  mb_member(im.members, "t", "", 0x37, {}, 12);
  mb_member(im.members, "s", "", 0x37, {}, 6);
  mb_bytes &b = keep(mb_finish(im, nullptr));
  mr_record *r = mr_register(b.data(), b.size());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(mr_string_room(r, b.data() + 6), 6u);
  EXPECT_EQ(mr_string_room(r, b.data() + 12), 2u);   // up to the header
  EXPECT_EQ(mr_string_room(r, b.data() + 14), 0u);   // the header itself
  EXPECT_EQ(mr_string_room(r, b.data() + 1000), 0u);
  EXPECT_EQ(mr_string_room(nullptr, b.data()), 0u);
}

}  // namespace
