// The script library `db`, driven through a script state.
#include <gtest/gtest.h>

#include <string>

extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}

#include "data/db/db_lua.h"
#include "db_util.h"

static std::string messages;
void con_message(const char *text) { messages += text; }

namespace {

class DbLua : public ::testing::Test {
 protected:
  lua_State *L = nullptr;
  void SetUp() override {
    messages.clear();
    L = luaL_newstate();
    luaL_openlibs(L);
    db_open(L);
    lua_settop(L, 0);
  }
  void TearDown() override { lua_close(L); }
  // Runs a chunk; its results joined by commas with tostring, or "error: ...".
  std::string run(const std::string &code) {
    lua_settop(L, 0);
    if (luaL_loadstring(L, code.c_str()) || lua_pcall(L, 0, LUA_MULTRET, 0))
      return std::string("error: ") + lua_tostring(L, -1);
    std::string out;
    int n = lua_gettop(L);
    for (int k = 1; k <= n; k++) {
      lua_getglobal(L, "tostring");
      lua_pushvalue(L, k);
      lua_call(L, 1, 1);
      const char *s = lua_tostring(L, -1);
      if (k > 1) out += ",";
      out += s ? s : "?";
      lua_pop(L, 1);
    }
    return out;
  }
};

TEST_F(DbLua, MemoryStorageAndBareNameGiveTheSameTable) {
  EXPECT_EQ(run("st = db.use() v = st:table('people[name:S,age:I]')"
                "v[1].name = 'ann' v[1].age = 41.9 v[2].name = 7 "
                "w = st:table('people') return w.size, w[1].name, w[1].age, w[2].name"),
            "2,ann,41,7");
  EXPECT_EQ(run("st:flush() return st:table('people').size"), "2");
  EXPECT_EQ(messages, "");
}

TEST_F(DbLua, UseAppendsToTheList) {
  EXPECT_EQ(run("list = {'x', n = 1} a = db.use(list) b = db.use(list) "
                "return #list, list.n, list[2] == a, list[3] == b"),
            "3,3,true,true");
  EXPECT_EQ(run("l = {} db.use(l, 5, nil) return l.n"), "1");
}

TEST_F(DbLua, TopLevelViewsByNumber) {
  EXPECT_EQ(run("st = db.use() st:table('a[x:I]') st:table('b[y:S]') "
                "return st[1].fields[1].name, st[2].fields[1].name, st[3], st[0], st.nothing"),
            "x,y,nil,nil,nil");
}

TEST_F(DbLua, GrowingFindAndDelete) {
  EXPECT_EQ(run("st = db.use() v = st:table('p[name,age:I]') r = v[5] return v.size"), "5");
  EXPECT_EQ(run("return v:find{age = 30}"), "0");
  EXPECT_EQ(run("v[3].age = 30 v[4].age = 30 return v:find{age = 30}, v:find{AGE = 30, name = 'x'}"),
            "3,0");
  EXPECT_EQ(run("for i = 1, 5 do v[i].name = 'n' .. i end v.del = 0 return v.size, v[1].name"), "4,n2");
  EXPECT_EQ(run("v:del(1) return v.size, v[1].name"), "3,n3");
  EXPECT_EQ(run("v:del(2, 5) return v.size, v[1].name"), "1,n3");
  EXPECT_EQ(run("v:del('x') return v.size"), "1");
  EXPECT_EQ(messages, "db: del needs a row number and an optional count\n");
}

TEST_F(DbLua, FieldsAndAddfield) {
  EXPECT_EQ(run("st = db.use() v = st:table('t[]') return v.fields, v.fieldsnum"), "nil,0");
  EXPECT_EQ(run("v[2].x = 1 return v:addfield('s1', 'string'), v:addfield('q', 'quux'), "
                "v:addfield('n', 'Integer'), v:addfield('f', 'F'), v:addfield('d', 'double'), "
                "v:addfield('b', 'bytes'), v:addfield('v', 'view')"),
            "2,nil,2,2,2,2,2");
  EXPECT_EQ(run("local f = v.fields local o = f.n for i = 1, f.n do o = o .. ' ' .. f[i].name .. f[i].type end "
                "return o, f[1].other"),
            "6 s1S nI fF dD bB vV,nil");
  EXPECT_EQ(run("return v:addfield('s1', 'i')"), "");
  EXPECT_EQ(messages, "db: field s1 is of type S and cannot become I\n");
}

TEST_F(DbLua, RowTypesAndCase) {
  EXPECT_EQ(run("st = db.use() v = st:table('t[i:I,f:F,d:D,s:S,b:B,sub[x:I]]') r = v[1] "
                "r.i = -3.7 r.F = 0.5 r.d = 1/3 r.S = 12.5 r.b = 'bytes' "
                "return r.I, r.f, r.D == 1/3, r.s, r.b, r[1], r[7], r.nothing, r[0]"),
            "-3,0.5,true,12.5,nil,-3,nil,nil,nil");
  EXPECT_EQ(run("r.i = {} r.s = true return r.i, r.s"), "-3,12.5");
  EXPECT_EQ(messages, "db: a number is needed for field i\ndb: a string is needed for field s\n");
  EXPECT_EQ(run("sv = r.sub sv[2].x = 9 return r.sub.size, r.sub[2].x"), "2,9");
  EXPECT_EQ(run("o = st:table('o[x:I]') o[1].x = 4 r.sub = o r.sub = 5 return r.sub.size, r.sub[1].x"), "1,4");
}

TEST_F(DbLua, SortAndSelect) {
  EXPECT_EQ(run("st = db.use() v = st:table('p[name,age:I]') "
                "for i, p in ipairs{{'bob', 3}, {'Al', 9}, {'_z', 1}, {'al', 3}} do "
                "v[i].name = p[1] v[i].age = p[2] end "
                "s = v:sort() k = v:sort('AGE') "
                "return s[1].name, s[2].name, s[3].name, k[1].age, k[2].name, k.fields[1].name"),
            "_z,al,Al,1,al,age");
  EXPECT_EQ(run("t = v:select{age = 3, nope = 1} return t.size, t[2].name"), "2,al");
  EXPECT_EQ(run("t = v:select{name = 'AL'} return t.size, t[1].age"), "2,9");
  EXPECT_EQ(run("t = v:select{[2] = '9'} return t.size, t[1].name"), "1,Al");
  EXPECT_EQ(run("return v:sort('nope'), v:select(5), v:select{age = 'old'}, v:find{age = {}}"), "nil,nil,nil");
  EXPECT_EQ(messages,
            "db: sort: no such field nope\ndb: a table of field values is needed\n"
            "db: a number is needed for field age\ndb: a number is needed for field age\n");
}

TEST_F(DbLua, CollectedObjectsDoNothing) {
  EXPECT_EQ(run("st = db.use() v = st:table('p[name]') r = v[1] f = v.fields[1] "
                "local mt = getmetatable(st) mt.__gc(st) getmetatable(v).__gc(v) "
                "getmetatable(r).__gc(r) getmetatable(f).__gc(f) "
                "return getmetatable(st), getmetatable(v), getmetatable(r), getmetatable(f)"),
            "nil,nil,nil,nil");
  // Functions taken before collection, called on dead or wrong objects.
  EXPECT_EQ(run("st = db.use() local t, fl = st.table, st.flush v = st:table('p[name]') local sz = v.sort "
                "getmetatable(st).__gc(st) return t(st, 'x[y]'), fl(st), t(v, 'x[y]'), sz(st), t(nil), 1"),
            "nil,nil,nil,nil,nil,1");
  EXPECT_EQ(run("collectgarbage() collectgarbage() return 1"), "1");
}

TEST_F(DbLua, ViewsOutliveTheirStorageObject) {
  EXPECT_EQ(run("st = db.use() v = st:table('p[x:I]') v[1].x = 5 r = v[1] st = nil collectgarbage() "
                "r.x = 6 return v[1].x, v.size"),
            "6,1");
}

TEST_F(DbLua, TreesThroughNestedViews) {
  EXPECT_EQ(run("st = db.use() t = st:table('tree[name,kids[^]]') t[1].name = 'root' "
                "k = t[1].kids k[1].name = 'a' k[2].name = 'b' k[2].kids[1].name = 'b1' "
                "return t[1].kids.size, t[1].kids[2].kids[1].name, t[1].kids[2].kids[1].kids.size"),
            "2,b1,0");
  std::string name = dbt_tmpname("tree");
  EXPECT_EQ(run("st = db.use('" + name + "') t = st:table('tree[name,kids[^]]') t[1].name = 'root' "
                "t[1].kids[3].kids[2].name = 'deep' st:flush() "
                "u = db.use('" + name + "')[1] return u[1].kids[3].kids[2].name, u[1].kids.size, u.fields[2].type"),
            "deep,3,V");
}

TEST_F(DbLua, RestructureAndCommitDropsFields) {
  std::string name = dbt_tmpname("re");
  EXPECT_EQ(run("st = db.use('" + name + "') v = st:table('p[a:I,b:S,c:D]') v[1].a = 1 v[1].b = 'x' v[1].c = 2 "
                "w = st:table('p[c:D,a:I,n:F]') st:flush() "
                "u = db.use('" + name + "')[1] local f = u.fields "
                "return f.n, f[1].name, f[2].name, f[3].name, u[1].c, u[1].a, u[1].n, u[1].b"),
            "3,c,a,n,2,1,0,nil");
}

TEST_F(DbLua, FileStorageRoundTrip) {
  std::string name = dbt_tmpname("lua");
  EXPECT_EQ(run("st = db.use('" + name + "') v = st:table('people[name:S,age:I]') "
                "v[1].name = 'Alice' v[1].age = 30 v[2].name = 'Bob' v[2].age = 4 "
                "v[3].name = 'carol' v[3].age = -7 st:flush() return 1"),
            "1");
  EXPECT_EQ(dbt_load(name), dbt_load("metakit/people.mk"));
  EXPECT_EQ(run("st2 = db.use('" + name + "') w = st2[1] return w.size, w[3].name, w[3].age"),
            "3,carol,-7");
  EXPECT_EQ(run("return db.use('metakit/nested.mk')[1][1].sub[2].name"), "y");
  EXPECT_EQ(messages, "");
}

TEST_F(DbLua, BadInputGivesMessages) {
  std::string bad = dbt_tmpname("bad");
  dbt_save(bad, DbBytes{'J', 'L', 0x1A, 0, 0, 0, 0, 99, 1, 2, 3});
  EXPECT_EQ(run("return db.use('" + bad + "')"), "");
  EXPECT_EQ(messages, "db: cannot open " + bad + ": the file is damaged: its tail is missing or wrong\n");
  messages.clear();
  EXPECT_EQ(run("st = db.use() return st:table('p[x:Q]'), st:table(), st:table(']['), type(st:table('p[a:I]')), "
                "st:table('p[a:S]'), 1"),
            "nil,nil,nil,userdata,nil,1");
  EXPECT_NE(messages.find("bad description"), std::string::npos);
  EXPECT_NE(messages.find("table needs a description"), std::string::npos);
  EXPECT_NE(messages.find("bad view name \"]\""), std::string::npos);
  EXPECT_NE(messages.find("field a is of type I and cannot become S"), std::string::npos);
}

}  // namespace
