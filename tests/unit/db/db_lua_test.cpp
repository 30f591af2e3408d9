// The script library `db`, driven through a script state.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}

#include "data/db/db_lua.h"
#include "tests/unit/db/db_util.h"
#include "tests/support/ts_lua.h"

static std::string messages;
void con_message(const char *text) { messages += text; }

namespace {

class DbLua : public ::testing::Test {
 protected:
  lua_State *L = nullptr;
  void SetUp() override {
    messages.clear();
    L = ts_fresh();
    db_open(L);
    lua_settop(L, 0);
  }
  void TearDown() override { lua_close(L); }
  // Runs a chunk; its results joined by commas with tostring, or "error: ...".
  std::string run(const std::string &code) {
    lua_settop(L, 0);
    return ts_eval(L, code);
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
  EXPECT_EQ(dbt_load(name), dbt_load(dbt_fixture("people.mk")));
  EXPECT_EQ(run("st2 = db.use('" + name + "') w = st2[1] return w.size, w[3].name, w[3].age"),
            "3,carol,-7");
  EXPECT_EQ(run("return db.use('" + dbt_fixture("nested.mk") + "')[1][1].sub[2].name"), "y");
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

// Derived views keep their rows when rows are deleted through another view:
// the deleted ones leave, the others stay what they were.
TEST_F(DbLua, DerivedViewsFollowDeletes) {
  EXPECT_EQ(run("st = db.use() v = st:table('q[name:S]') v[1].name = 'A' v[2].name = 'B' v[3].name = 'C' "
                "sel = v:select{name = 'B'} srt = v:sort() v:del(1) "
                "return sel.size, sel[1].name, srt.size, srt[1].name, srt[2].name"),
            "1,B,2,B,C");
  EXPECT_EQ(run("return srt.size"), "2");
  EXPECT_EQ(run("sel[1].name = 'X' return v[1].name, v[2].name, srt[1].name"), "X,C,X");
  EXPECT_EQ(run("sub = srt:select{name = 'C'} srt:del(2) return sub.size, v.size, v[1].name, sel.size"),
            "0,1,X,1");
  EXPECT_EQ(run("v[2].name = 'D' return sel.size, srt.size, v.size"), "1,1,2");
}

// Random inserts, deletes, writes, selects and sorts through random views,
// against a plain model: a list of records, and per derived view the
// records it shows. The generator is the script's own, so both builds see
// the same sequence.
TEST_F(DbLua, ViewsAgainstAPlainModel) {
  const char *model = R"(
local seed = 20240607
local function rnd(n) seed = (seed * 16807) % 2147483647 return seed % n end
local words = {'', 'a', 'B', 'b', '_', 'abc', 'ABD', 'zz'}
local st = db.use()
local recs = {}
local views = {{real = st:table('t[name:S,n:I]'), order = {'name', 'n'}}}
local function rows(v) return v.rows or recs end
local function value(f) if f == 'name' then return words[rnd(#words) + 1] end return rnd(7) - 3 end
local function less(a, b, order)
  for _, f in ipairs(order) do
    local x, y = a[f], b[f]
    if f == 'name' then x, y = x:lower(), y:lower() end
    if x ~= y then return x < y end
  end
  return false
end
local function check(step, what)
  for k, v in ipairs(views) do
    local rs = rows(v)
    if v.real.size ~= #rs then
      error(step .. ' ' .. what .. ': view ' .. k .. ' has ' .. v.real.size .. ' rows, model ' .. #rs)
    end
    for i, rec in ipairs(rs) do
      local r = v.real[i]
      if r.name ~= rec.name or r.n ~= rec.n then
        error(step .. ' ' .. what .. ': view ' .. k .. ' row ' .. i .. ' is ' .. r.name .. ',' .. r.n ..
              ', model ' .. rec.name .. ',' .. rec.n)
      end
    end
  end
end
local function forget(gone)
  local function keep(list)
    local out = {}
    for _, rec in ipairs(list) do if not gone[rec] then out[#out + 1] = rec end end
    return out
  end
  recs = keep(recs)
  for _, v in ipairs(views) do if v.rows then v.rows = keep(v.rows) end end
end
local counts = {}
for step = 1, 1500 do
  local v = views[rnd(#views) + 1]
  local rs, size = rows(v), v.real.size
  local op = rnd(10)
  if #recs > 30 and op < 5 then op = 5 end  -- keep the checks short
  local what
  if op < 3 and size > 0 then
    what = 'set'
    local i, f = rnd(size) + 1, rnd(2) == 0 and 'name' or 'n'
    local x = value(f)
    v.real[i][f] = x
    rs[i][f] = x
  elseif op < 5 then
    what = 'grow'
    local i = size + 1 + rnd(3)
    for j = size + 1, i do
      local rec = {name = '', n = 0}
      recs[#recs + 1] = rec
      if v.rows then v.rows[#v.rows + 1] = rec end
    end
    local rec = rs[i]
    rec.name, rec.n = value('name'), value('n')
    v.real[i].name = rec.name
    v.real[i].n = rec.n
  elseif op < 7 and size > 0 then
    what = 'delete'
    local at, count = rnd(size) + 1, rnd(3) + 1
    local gone = {}
    for i = at, math.min(size, at + count - 1) do gone[rs[i]] = true end
    if count == 1 and rnd(2) == 0 then v.real.del = at - 1 else v.real:del(at, count) end
    forget(gone)
  elseif op == 7 then
    what = 'select'
    local f = rnd(2) == 0 and 'name' or 'n'
    local x = value(f)
    local out = {}
    for _, rec in ipairs(rs) do
      local y = rec[f]
      if f == 'name' then if y:lower() == x:lower() then out[#out + 1] = rec end
      elseif y == x then out[#out + 1] = rec end
    end
    views[#views + 1] = {real = v.real:select{[f] = x}, rows = out, order = v.order}
  elseif op == 8 then
    what = 'sort'
    local keys = ({{}, {'n'}, {'name'}, {'n', 'name'}})[rnd(4) + 1]
    local order, taken = {}, {}
    for _, f in ipairs(keys) do order[#order + 1] = f taken[f] = true end
    for _, f in ipairs(v.order) do if not taken[f] then order[#order + 1] = f end end
    local out = {}
    for i, rec in ipairs(rs) do out[i] = {rec = rec, at = i} end
    array.sort(out, function(a, b)
      if less(a.rec, b.rec, order) then return true end
      if less(b.rec, a.rec, order) then return false end
      return a.at < b.at
    end)
    for i, e in ipairs(out) do out[i] = e.rec end
    views[#views + 1] = {real = v.real:sort(unpack(keys)), rows = out, order = order}
  else
    what = 'drop'
    if #views > 1 then array.remove(views, rnd(#views - 1) + 2) end
  end
  if #views > 6 then array.remove(views, 2) end
  counts[what] = (counts[what] or 0) + 1
  check(step, what)
  if step % 100 == 0 then collectgarbage() end
end
return counts.set, counts.grow, counts.delete, counts.select, counts.sort
)";
  std::string out = run(model);
  EXPECT_EQ(out.find("error"), std::string::npos) << out;
  printf("model steps (set, grow, delete, select, sort): %s\n", out.c_str());
  EXPECT_EQ(messages, "");
}

TEST_F(DbLua, FlushTellsTheOutcome) {
  std::string name = dbt_tmpname("flush");
  EXPECT_EQ(run("st = db.use('" + name + "') st:table('p[x:I]')[1].x = 5 return st:flush()"), "true");
  EXPECT_EQ(run("return db.use():flush()"), "true");
  EXPECT_EQ(messages, "");
  std::string out = run("bad = db.use('no/such/dir/x.mk') bad:table('p[x:I]')[1].x = 1 "
                        "local ok, msg = bad:flush() return ok, msg");
  EXPECT_EQ(out.rfind("nil,db: cannot write no/such/dir/x.mk: cannot create the temporary file: ", 0),
            0u)
      << out;
  EXPECT_EQ(messages, out.substr(4) + "\n");
  EXPECT_EQ(run("return bad[1][1].x"), "1");  // the changes stay in memory
  EXPECT_EQ(run("getmetatable(st).__gc(st) return select('#', db.use().flush(st))"), "0");
}

// Plain flushes add to the file; flush(true) rewrites it compacted, and
// both keep the content.
TEST_F(DbLua, FlushTrueCompacts) {
  std::string name = dbt_tmpname("compact");
  EXPECT_EQ(run("st = db.use('" + name + "') v = st:table('p[x:I,s:S]') "
                "for i = 1, 3000 do v[i].x = i v[i].s = 'row ' .. i end return st:flush()"),
            "true");
  size_t whole = dbt_load(name).size();
  EXPECT_EQ(run("for k = 1, 6 do v[k].x = -k v[k * 7].s = 'ROW ' .. k * 7 assert(st:flush()) end "
                "return st:flush()"),
            "true");
  size_t grown = dbt_load(name).size();
  EXPECT_GT(grown, whole);
  EXPECT_EQ(run("return st:flush(true)"), "true");
  EXPECT_LT(dbt_load(name).size(), grown);
  EXPECT_EQ(run("st2 = db.use('" + name + "') w = st2[1] "
                "return w.size, w[1].x, w[6].x, w[7].x, w[42].s, w[3000].s"),
            "3000,-1,-6,7,ROW 42,row 3000");
  EXPECT_EQ(messages, "");
}

TEST_F(DbLua, LongDescriptionsKeepTheReason) {
  std::string fields;
  for (int k = 0; k < 100; k++) fields += "field" + std::to_string(k) + ":I,";
  EXPECT_EQ(run("return db.use():table('p[" + fields + "x:Q]')"), "");
  EXPECT_EQ(messages.rfind("db: bad description (unknown field type (use I, F, D, S, B, L or V)): "
                           "\"p[field0:I,field1:I,",
                           0),
            0u)
      << messages;
  EXPECT_LT(messages.size(), 200u);
  messages.clear();
  std::string name(500, 'n');
  EXPECT_EQ(run("st = db.use() st:table('" + name + "[a:I]') return st:table('" + name + "[a:S]')"), "");
  EXPECT_NE(messages.find(": field a is of type I and cannot become S"), std::string::npos) << messages;
  EXPECT_LT(messages.size(), 200u);
}

// One limit of 200 levels for descriptions, navigation, copies and files.
TEST_F(DbLua, NestingLimitEverywhere) {
  std::string deep = "x:I", too;
  for (int k = 0; k < 199; k++) deep = "v[" + deep + "]";
  too = "v[" + deep + "]";
  EXPECT_EQ(run("st = db.use() return type(st:table('a[" + deep + "]')), st:table('b[" + too + "]'), 1"),
            "userdata,nil,1");
  EXPECT_EQ(messages, "db: bad description (views are nested more than 200 levels deep): \"" +
                          ("b[" + too).substr(0, 60) + "...\"\n");
  messages.clear();
  std::string name = dbt_tmpname("nest");
  // A tree 200 levels deep with a row at every level is stored and read back.
  EXPECT_EQ(run("st = db.use('" + name + "') t = st:table('t[x:I,kids[^]]') local v = t "
                "for k = 1, 200 do v[1].x = k if k < 200 then v = v[1].kids end end "
                "deepest = v return v[1].kids, st:flush()"),
            "nil,true");
  EXPECT_EQ(messages, "db: views are nested more than 200 levels deep\n");
  messages.clear();
  EXPECT_EQ(run("local v = db.use('" + name + "')[1] for k = 1, 199 do v = v[1].kids end "
                "return v[1].x, v[1].kids, v:addfield('w', 'v'), v:addfield('y', 'i')"),
            "200,nil,nil,1");
  EXPECT_EQ(messages, "db: views are nested more than 200 levels deep\n"
                      "db: views are nested more than 200 levels deep\n");
  messages.clear();
  // Copying the whole tree one level down would make 201 levels: refused,
  // the target keeps its rows.
  EXPECT_EQ(run("t[2].x = 7 local k = t[2].kids k[1].x = 8 t[2].kids = t "
                "return t[2].kids.size, t[2].kids[1].x"),
            "1,8");
  EXPECT_EQ(messages, "db: views are nested more than 200 levels deep\n");
  messages.clear();
  EXPECT_EQ(run("t[2].kids = t[1].kids return t[2].kids.size, t[2].kids[1].x"), "1,2");
  EXPECT_EQ(messages, "");
}

TEST_F(DbLua, StorageAtTheEndOfAnotherFileKeepsWhatIsBeforeIt) {
  std::string name = dbt_tmpname("appended");
  DbBytes f(1000);
  for (size_t k = 0; k < f.size(); k++) f[k] = (uint8_t)(k * 7 + 1);
  DbBytes st = dbt_load(dbt_fixture("people.mk"));
  DbBytes both = f;
  for (uint8_t b : st) both.push_back(b);
  ASSERT_EQ(both.size(), 1079u);
  dbt_save(name, both);
  EXPECT_EQ(run("st = db.use('" + name + "') v = st[1] v[4].name = 'dan' v[4].age = 50 return st:flush()"),
            "true");
  DbBytes after = dbt_load(name);
  ASSERT_GT(after.size(), f.size());
  EXPECT_EQ(DbBytes(after.begin(), after.begin() + 1000), f);
  EXPECT_EQ(run("v = db.use('" + name + "')[1] return v.size, v[1].name, v[4].name, v[4].age"),
            "4,Alice,dan,50");
  EXPECT_EQ(messages, "");
}

TEST_F(DbLua, ManyDefaultRowsTakeNoRoomAndReopen) {
  std::string name = dbt_tmpname("zeros");
  EXPECT_EQ(run("st = db.use('" + name + "') z = st:table('z[a:I,b:I,c:S]') local r = z[2000000] "
                "return z.size, st:flush()"),
            "2000000,true");
  EXPECT_EQ(dbt_load(name).size(), 51u);
  EXPECT_EQ(run("z = db.use('" + name + "')[1] return z.size, z[1999999].a, z[1999999].c, z[1].b"),
            "2000000,0,,0");
  EXPECT_EQ(run("z[1000000].c = 'mid' z[2000000].a = -3 return z[1000000].c, z[2000000].a, z.size"),
            "mid,-3,2000000");
  EXPECT_EQ(messages, "");
}

TEST_F(DbLua, LeftoverOfACutCommitIsRemoved) {
  std::string name = dbt_tmpname("left");
  EXPECT_EQ(run("st = db.use('" + name + "') st:table('p[x:I]')[1].x = 1 return st:flush()"), "true");
  DbBytes whole = dbt_load(name);
  // A commit cut short after writing part of the temporary file.
  dbt_save(name + ".tmp", DbBytes(whole.begin(), whole.begin() + 20));
  EXPECT_EQ(run("return db.use('" + name + "')[1][1].x"), "1");
  EXPECT_TRUE(dbt_load(name + ".tmp").empty());
  FILE *f = fopen((name + ".tmp").c_str(), "rb");
  EXPECT_EQ(f, nullptr);
  if (f) fclose(f);
  // A file of that name that is no such leftover stays.
  dbt_save(name + ".tmp", DbBytes{'n', 'o', 't', 'e', 's'});
  EXPECT_EQ(run("return db.use('" + name + "')[1][1].x"), "1");
  EXPECT_EQ(dbt_load(name + ".tmp").size(), 5u);
}

}  // namespace
