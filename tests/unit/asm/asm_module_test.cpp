/* Module directives and imports: the image they produce, read back by the
** module loader itself. */
#include "tests/unit/asm/asm_test_util.h"

#include <gtest/gtest.h>

#include <list>
#include <map>

#include "asm/asm_int.h"
#include "native/modules/mod_registry.h"
#include "tests/unit/modules/msg_double.h"

namespace {

/* Contexts are names; members come from a table "module.member". */
struct import_services : test_services {
  struct entry {
    uint8_t kind;
    std::string sig;
  };
  std::map<std::string, entry> table;
  std::list<std::string> names;
  std::vector<std::string> refs, defined;
  void *open_context(const char *name) override {
    names.push_back(name);
    return &names.back();
  }
  void *find_member(void *ctx, const char *name, int kind) override {
    static const char *const which[4] = {"", "@read", "@write", "@run"};
    if (kind < 0 || kind > 3 || (kind && std::string(name) != which[kind])) return nullptr;
    auto it = table.find(*(std::string *)ctx + "." + name);
    return it == table.end() ? nullptr : &it->second;
  }
  bool member_type(void *m, uint8_t &kind, std::string &sig) override {
    kind = ((entry *)m)->kind;
    sig = ((entry *)m)->sig;
    return true;
  }
  void record_reference(void *ctx, uint32_t at, uint32_t n) override {
    refs.push_back(*(std::string *)ctx + "@" + std::to_string(at) + "#" + std::to_string(n));
  }
  std::vector<std::string> kind_entries;
  void add_kind_entry(void *m, uint32_t value, int kind, uint32_t key) override {
    for (auto &e : table)
      if (&e.second == m)
        kind_entries.push_back(e.first + " " + std::to_string(kind) + " " +
                               std::to_string(key) + "=" + std::to_string(value));
  }
  void *define_member(void *, const char *name, const char *desc, uint32_t) override {
    defined.push_back(std::string(name) + " " + desc);
    return nullptr;
  }
};

class ModuleDirectives : public ::testing::Test {
protected:
  import_services svc;
  std::list<std::vector<uint8_t>> kept;

  void SetUp() override {
    mr_reset();
    mr_ops.dll = [](const char *) -> mr_record * { return nullptr; };
    msg_log.clear();
  }
  void TearDown() override { mr_reset(); }

  std::vector<uint8_t> &assemble(const std::string &src) {
    asm_options opt;
    kept.emplace_back();
    EXPECT_TRUE(asm_assemble("lua", src.data(), src.size(), &svc, opt, kept.back()))
        << svc.out;
    return kept.back();
  }
  std::string fails(const std::string &src) {
    asm_options opt;
    std::vector<uint8_t> out;
    svc.out.clear();
    EXPECT_FALSE(asm_assemble("lua", src.data(), src.size(), &svc, opt, out));
    EXPECT_TRUE(out.empty());
    return svc.out;
  }
  mr_record *load(const std::string &src) {
    std::vector<uint8_t> &img = assemble(src);
    return mr_register(img.data(), img.size());
  }
  std::string type_of(mr_record *r, const char *member) {
    mi_member m;
    if (!mr_member_named(r, member, &m)) return "(none)";
    char buf[64];
    mi_typetext(m.kind, m.sig, buf, sizeof buf);
    return std::string(buf) + " " + mi_access(m.kind) + " " + mi_text(m.comment);
  }
  /* Offset of a member's address from the image start after loading. */
  uint32_t offset_of(mr_record *r, const char *member) {
    mi_member m;
    EXPECT_TRUE(mr_member_named(r, member, &m));
    return mi_get32(m.addr) - mr_addr(r->image);
  }
};

TEST_F(ModuleDirectives, NameCommentAndMembersAsTheLoaderReadsThem) {
  mr_record *r = load(
      "module adder, 'Adds numbers'\n"
      "function sum, 'f:ud,us:ud;', 'the sum'\n"
      "function nothing, 'f;'\n"
      "function none, 'f::;'\n"
      "variable count, 'sd', 'rw'\n"
      "variable ratio, 'r', 'r'\n"
      "variable text, 'us', ''\n"
      "sum: mov eax, [esp+4]\n add eax, [esp+8]\n ret 8\n"
      "nothing: ret\nnone: ret\n"
      "count dd -1\nratio dq 1.5\ntext db 'abc', 0\n");
  ASSERT_NE(r, nullptr) << msg_log;
  EXPECT_STREQ(mr_name(r), "adder");
  EXPECT_STREQ(mr_comment(r), "Adds numbers");
  EXPECT_EQ(mr_member_count(r), 6);
  EXPECT_EQ(type_of(r, "sum"), "f:ud,us:ud; x the sum");
  EXPECT_EQ(type_of(r, "nothing"), "f; x ");
  EXPECT_EQ(type_of(r, "none"), "f::; x ");
  EXPECT_EQ(type_of(r, "count"), "sd rw ");
  EXPECT_EQ(type_of(r, "ratio"), "r r ");
  EXPECT_EQ(type_of(r, "text"), "us  ");
  EXPECT_EQ(offset_of(r, "sum"), 6u);       // code starts at image offset 6
  EXPECT_EQ(offset_of(r, "nothing"), 6u + 4 + 4 + 3);
  EXPECT_EQ(mr_context_flags(r), 0);
  EXPECT_EQ(svc.defined.size(), 6u);
  EXPECT_EQ(svc.defined[0], "sum f:ud,us:ud;");
}

TEST_F(ModuleDirectives, MembersMayComeBeforeOrAfterTheirLabels) {
  mr_record *r = load("later: ret\nfunction later, 'f;'\n"
                      "function early, 'f:ud:ud;'\nearly: ret 4\n");
  ASSERT_NE(r, nullptr) << msg_log;
  EXPECT_EQ(mr_name(r), nullptr);           // no module directive: unnamed
  EXPECT_EQ(offset_of(r, "later"), 6u);
  EXPECT_EQ(offset_of(r, "early"), 7u);
}

TEST_F(ModuleDirectives, HandlersSetTheContextFlags) {
  mr_record *r = load("module h\nhandler read, reader\nhandler run, runner\n"
                      "reader: ret 8\nrunner: ret 4\n");
  ASSERT_NE(r, nullptr) << msg_log;
  EXPECT_EQ(mr_context_flags(r), 1 | 4);
  mi_module m;
  ASSERT_TRUE(mr_module(r, &m));
  EXPECT_EQ(mi_get32(m.handler[0].p) - mr_addr(r->image), 6u);
  EXPECT_EQ(m.handler[1].n, 0u);
  EXPECT_EQ(mi_get32(m.handler[2].p) - mr_addr(r->image), 9u);
}

TEST_F(ModuleDirectives, TypeTexts) {
  uint8_t kind;
  std::string sig;
  EXPECT_TRUE(asm_mod_type("f:ud,us:ud;", true, kind, sig));
  EXPECT_EQ(sig, std::string("\x08\x03\x07\x04\x03", 5));
  EXPECT_TRUE(asm_mod_type("f;", true, kind, sig));
  EXPECT_EQ(sig, "");
  EXPECT_TRUE(asm_mod_type("f:r,sb,sw,uq,ss:", true, kind, sig));
  EXPECT_EQ(sig, std::string("\x14\x80\x81\x82\x05\x87\x00", 7));
  EXPECT_TRUE(asm_mod_type("sq", false, kind, sig));
  EXPECT_EQ(kind, 0x85);
  for (const char *bad : {"", "g;", "f:ud,:ud;", "f:ud:ud,ud;", "f:xd;", "f;;",
                          "f:u", "f:ud;x"})
    EXPECT_FALSE(asm_mod_type(bad, true, kind, sig)) << bad;
  for (const char *bad : {"", "f;", "ud,ud", "x", "u"})
    EXPECT_FALSE(asm_mod_type(bad, false, kind, sig)) << bad;
}

TEST_F(ModuleDirectives, BadDirectivesGiveLineErrors) {
  EXPECT_EQ(fails("module a\nmodule b\n"),
            "lua" "setting already specified << module b >> ");
  EXPECT_EQ(fails("module\n"), "lua" "invalid argument << module >> ");
  EXPECT_EQ(fails("module a, b\n"), "lua" "invalid argument << module a,b >> ");
  EXPECT_EQ(fails("function f, 'f:ud'\nfunction f, 'f;'\nf: ret\n"),
            "lua" "symbol already defined << function f,'f;' >> ");
  EXPECT_EQ(fails("function f, 'q'\nf: ret\n"),
            "lua" "invalid value << function f,'q' >> ");
  EXPECT_EQ(fails("function f, 'f;'\n"),
            "lua" "undefined symbol << function f,'f;' >> ");
  EXPECT_EQ(fails("variable v, 'ud', 'x'\nv dd 0\n"),
            "lua" "invalid value << variable v,'ud','x' >> ");
  EXPECT_EQ(fails("variable v, 'ud'\nv dd 0\n"),
            "lua" "invalid argument << variable v,'ud' >> ");
  EXPECT_EQ(fails("v = 5\nfunction v, 'f;'\n"),
            "lua" "invalid address << function v,'f;' >> ");
  EXPECT_EQ(fails("handler read, a\nhandler read, a\na: ret\n"),
            "lua" "setting already specified << handler read,a >> ");
  EXPECT_EQ(fails("handler other, a\na: ret\n"),
            "lua" "invalid argument << handler other,a >> ");
}

TEST_F(ModuleDirectives, ImportsBindThroughTheLoader) {
  // a provider registered from its own source, then an importer of it
  mr_record *p = load("module prov\nfunction twice, 'f:ud:ud;'\n"
                      "variable total, 'ud', 'rw'\n"
                      "twice: mov eax, [esp+4]\n add eax, eax\n ret 4\ntotal dd 7\n");
  ASSERT_NE(p, nullptr) << msg_log;
  svc.table["prov.twice"] = {0, std::string("\x04\x03\x04\x03", 4)};
  svc.table["prov.total"] = {0x33, ""};
  std::vector<uint8_t> &img = assemble(
      "module user\nfunction go, 'f::ud;'\n"
      "go: push 21\n call prov.twice\n mov eax, prov.total\n jmp prov.twice\n");
  // mov eax, imm32 (zero) with call eax / nothing / jmp eax
  const uint8_t code[] = {0x6A, 0x15, 0xB8, 0, 0, 0, 0, 0xFF, 0xD0,
                          0xB8, 0, 0, 0, 0, 0xB8, 0, 0, 0, 0, 0xFF, 0xE0};
  ASSERT_GE(img.size(), 6 + sizeof code);
  EXPECT_EQ(std::vector<uint8_t>(img.begin() + 6, img.begin() + 6 + sizeof code),
            std::vector<uint8_t>(code, code + sizeof code));
  EXPECT_EQ(svc.refs, (std::vector<std::string>{"prov@9#0", "prov@16#1", "prov@21#2"}));
  mr_record *u = mr_register(img.data(), img.size());
  ASSERT_NE(u, nullptr) << msg_log;
  EXPECT_EQ(u->nimports, 1);
  EXPECT_EQ(p->users, 1u);
  mi_member twice, total;
  ASSERT_TRUE(mr_member_named(p, "twice", &twice));
  ASSERT_TRUE(mr_member_named(p, "total", &total));
  EXPECT_EQ(mi_get32(img.data() + 9), mi_get32(twice.addr));
  EXPECT_EQ(mi_get32(img.data() + 16), mi_get32(total.addr));
  EXPECT_EQ(mi_get32(img.data() + 21), mi_get32(twice.addr));
}

TEST_F(ModuleDirectives, HandlersOfARequiredModuleAreReadFromTheirSlots) {
  mr_record *p = load("module prov\nhandler read, reader\nhandler run, runner\n"
                      "reader: ret 8\nrunner: ret 4\n");
  ASSERT_NE(p, nullptr) << msg_log;
  svc.table["prov.@run"] = {0, ""};
  svc.table["prov.@read"] = {0, ""};
  EXPECT_EQ(fails("call prov.@write\n"), "lua" "undefined symbol << call prov.@write >> ");
  std::vector<uint8_t> &img = assemble("call prov.@run\nmov eax, prov.@read\n"
                                       "jmp prov.@run\n");
  EXPECT_EQ(img[6], 0xA1);     // mov eax, [slot]
  EXPECT_EQ(img[13], 0xA1);
  mi_header h;
  ASSERT_TRUE(mi_check(img.data(), img.size(), &h));
  uint32_t run_slot = mi_get32(img.data() + 7), read_slot = mi_get32(img.data() + 14);
  EXPECT_EQ(mi_get32(img.data() + 19), run_slot);   // one slot per handler
  // every use reaches the host as a kind entry: code word -> slot
  std::string rs = std::to_string(run_slot), ds = std::to_string(read_slot);
  EXPECT_EQ(svc.kind_entries,
            (std::vector<std::string>{"prov.@run 3 7=" + rs, "prov.@read 1 14=" + ds,
                                      "prov.@run 3 19=" + rs}));
  mi_reader rd = mi_reader_of(h.imports);
  mi_import imp;
  ASSERT_EQ(mi_next_import(&rd, &imp), 1);
  EXPECT_EQ(imp.slot[0].p - img.data(), (long)read_slot);
  EXPECT_EQ(imp.slot[1].n, 0u);
  EXPECT_EQ(imp.slot[2].p - img.data(), (long)run_slot);
  EXPECT_EQ(imp.entries.n, 0u);
  mr_record *u = mr_register(img.data(), img.size());
  ASSERT_NE(u, nullptr) << msg_log;
  mi_module pm;
  ASSERT_TRUE(mr_module(p, &pm));
  uint32_t base = mr_addr(img.data());
  EXPECT_EQ(mi_get32(img.data() + 7), base + run_slot);   // relocated
  EXPECT_EQ(mi_get32(img.data() + run_slot), mi_get32(pm.handler[2].p));
  EXPECT_EQ(mi_get32(img.data() + read_slot), mi_get32(pm.handler[0].p));
}

TEST_F(ModuleDirectives, ImportsOfAnOpenContextCarryNoSignature) {
  svc.table["lua.pushnumber"] = {0, ""};
  std::vector<uint8_t> &img = assemble("call lua.pushnumber\nret\n");
  // the import record: name, unread item, three empty slots, one entry
  uint32_t h = mi_get32(img.data() + 2);
  mi_header hd;
  ASSERT_TRUE(mi_check(img.data(), img.size(), &hd));
  EXPECT_EQ(hd.hdr, h);
  mi_reader rd = mi_reader_of(hd.imports);
  mi_import imp;
  ASSERT_EQ(mi_next_import(&rd, &imp), 1);
  EXPECT_STREQ(mi_text(imp.name), "lua");
  for (int i = 0; i < 3; i++) EXPECT_EQ(imp.slot[i].n, 0u);
  mi_reader er = mi_reader_of(imp.entries);
  mi_member e;
  ASSERT_EQ(mi_next_member(&er, &e), 1);
  EXPECT_STREQ(mi_text(e.name), "pushnumber");
  EXPECT_EQ(e.kind, 0);
  EXPECT_EQ(e.sig.n, 0u);
  EXPECT_EQ(mi_get32(e.addr), 7u);
  EXPECT_EQ(mi_next_member(&er, &e), 0);
  EXPECT_EQ(mi_next_import(&rd, &imp), 0);
}

TEST_F(ModuleDirectives, UnknownDottedNamesStayOrdinarySymbols) {
  EXPECT_EQ(fails("call nomod.f\n"), "lua" "undefined symbol << call nomod.f >> ");
  // a label of that name wins over an import
  svc.table["a.b"] = {0, ""};
  std::vector<uint8_t> &img = assemble("a.b: call a.b\n");
  EXPECT_EQ(img[6], 0xE8);
  svc.table["m.f"] = {0, ""};
  EXPECT_EQ(fails("use16\ncall m.f\n"), "lua" "invalid use of symbol << call m.f >> ");
  EXPECT_EQ(fails("virtual at 0\ncall m.f\nend virtual\n"),
            "lua" "invalid use of symbol << call m.f >> ");
}

}  // namespace
