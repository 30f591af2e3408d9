// The program generator. A program is a prelude of helpers, then sections
// of one kind each (expressions, strings, formats, tables, loops, closures,
// calls, metatables, errors, coroutines, limits, lexer forms), each run under
// pcall so that an error ends only its own section. Values are printed
// through S, which spells every value the same way everywhere.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/unit/lua/luagen.h"

namespace {

struct Gen {
  uint64_t s;
  std::string o;                      // the program so far
  std::vector<std::string> nums, strs, tabs;
  int uniq = 0;

  explicit Gen(uint32_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {
    for (int i = 0; i < 4; i++) next();
  }
  uint32_t next() {   // xorshift64*: the same on every platform
    s ^= s >> 12;
    s ^= s << 25;
    s ^= s >> 27;
    return uint32_t((s * 2685821657736338717ull) >> 32);
  }
  int pick(int n) { return int(next() % uint32_t(n)); }
  bool chance(int pct) { return pick(100) < pct; }
  template <size_t N> const char *one(const char *const (&a)[N]) { return a[pick(int(N))]; }
  std::string name(const char *base) { return base + std::to_string(++uniq); }
  void line(const std::string &s) { o += s; o += '\n'; }

  // ---- expressions

  std::string numlit() {
    static const char *const edge[] = {
        "0", "1", "-1", "2", "3", "7", "10", "0.5", "-0.5", "1.5", "3.25", "255",
        "256", "1e3", "1E-3", ".5", "3.", "0x10", "0XfF", "0x7fffffff",
        "2147483648", "4294967296", "-2147483648", "1e15", "1e16", "2^53",
        "(2^53 + 1)", "1e308", "1e-308", "5e-324", "-0", "0.1", "123456789012",
        "1/3", "(-7)", "100", "65", "0.0", "9007199254740993"};
    if (chance(60)) return std::to_string(pick(20) - 5);
    return edge[pick(int(sizeof edge / sizeof *edge))];
  }
  std::string strlit() {
    static const char *const lit[] = {
        "\"\"", "\"a\"", "\"abc\"", "'hello world'", "\"10\"", "\"0x1A\"", "\" 12 \"",
        "\"1e2\"", "\"-3.5\"", "\"a\\tb\\nc\"", "\"q\\\"uote\"", "'\\065\\066\\0x'",
        "\"\\\\back\"", "[[long\nstring]]", "[==[with ]] inside]==]", "\"asm\"",
        "\"asmfunc end\"", "'end'", "\"%d%%\"", "\"A-Z_az\"", "\"\\255\\1\\127\"",
        "\"line\\\nnext\""};
    return lit[pick(int(sizeof lit / sizeof *lit))];
  }
  std::string numvar() { return nums.empty() ? numlit() : nums[pick(int(nums.size()))]; }
  std::string strvar() { return strs.empty() ? strlit() : strs[pick(int(strs.size()))]; }

  std::string num(int d) {
    if (d <= 0 || chance(25)) {
      switch (pick(6)) {
        case 0: case 1: return numlit();
        case 2: case 3: return numvar();
        case 4: return "#" + strvar();
        default: return tabs.empty() ? numlit() : "#" + tabs[pick(int(tabs.size()))];
      }
    }
    static const char *const bin[] = {"+", "-", "*", "/", "%", "^", "+", "-", "*"};
    switch (pick(10)) {
      case 0: return "-" + wrap(num(d - 1));
      case 1: return "(" + num(d - 1) + ")";
      case 2: return "math." + std::string(one({"floor", "ceil", "abs"})) + "(" + num(d - 1) + ")";
      case 3: return "math." + std::string(one({"max", "min", "fmod"})) + "(" + num(d - 1) + ", " + num(d - 1) + ")";
      case 4: return "(" + cond(d - 1) + " and " + num(d - 1) + " or " + num(d - 1) + ")";
      case 5: return "tonumber(" + str(d - 1) + ")";
      case 6: return "select('#', " + num(d - 1) + ", " + str(d - 1) + ")";
      default: return num(d - 1) + " " + one(bin) + " " + num(d - 1);
    }
  }
  // unary minus before a literal minus would make a comment
  std::string wrap(const std::string &e) { return e.size() && e[0] == '-' ? "(" + e + ")" : e; }

  std::string str(int d) {
    if (d <= 0 || chance(25)) return chance(50) ? strlit() : strvar();
    switch (pick(12)) {
      case 0: return str(d - 1) + " .. " + str(d - 1);
      case 1: return str(d - 1) + " .. " + std::to_string(pick(100));
      case 2: return "(" + str(d - 1) + "):upper()";
      case 3: return "string.lower(" + str(d - 1) + ")";
      case 4: return "string.sub(" + str(d - 1) + ", " + smallint() + ", " + smallint() + ")";
      case 5: return "(" + str(d - 1) + "):rep(" + std::to_string(pick(4)) + ")";
      case 6: return "string.reverse(" + str(d - 1) + ")";
      case 7: return "S(" + num(d - 1) + ")";
      case 8: return "string.char(" + std::to_string(32 + pick(90)) + ", " + std::to_string(pick(256)) + ")";
      case 9: return "string.format(\"%q\", " + str(d - 1) + ")";
      case 10: return "(" + cond(d - 1) + " and " + str(d - 1) + " or " + str(d - 1) + ")";
      default: return "T.concat({" + str(d - 1) + ", " + str(d - 1) + "}, " + strlit() + ")";
    }
  }
  std::string smallint() { return std::to_string(pick(13) - 6); }

  std::string cond(int d) {
    if (d <= 0 || chance(20)) return one({"true", "false", "nil", "x == nil"});
    static const char *const cmp[] = {"==", "~=", "<", "<=", ">", ">="};
    switch (pick(8)) {
      case 0: return "not " + cond(d - 1);
      case 1: return cond(d - 1) + " and " + cond(d - 1);
      case 2: return cond(d - 1) + " or " + cond(d - 1);
      case 3: return str(d - 1) + " " + one(cmp) + " " + str(d - 1);
      case 4: return "(" + cond(d - 1) + ") == " + cond(d - 1);
      case 5: return "not not " + num(d - 1);
      default: return num(d - 1) + " " + one(cmp) + " " + num(d - 1);
    }
  }

  // any expression, unparenthesised mixes included: the parsers' precedence
  std::string any(int d) {
    static const char *const ops[] = {"+", "-", "*", "/", "%", "^", "..", "==", "~=",
                                      "<", "<=", ">", ">=", "and", "or"};
    if (d <= 0) return chance(50) ? numlit() : chance(50) ? strlit() : numvar();
    switch (pick(7)) {
      case 0: return num(d);
      case 1: return str(d);
      case 2: return cond(d);
      case 3: return std::string(one({"not ", "- ", "#"})) + any(d - 1);
      default: return any(d - 1) + " " + one(ops) + " " + any(d - 1);
    }
  }

  // ---- sections

  void locals() {
    nums.clear();
    strs.clear();
    tabs.clear();
    int n = 2 + pick(4);
    for (int i = 0; i < n; i++) {
      std::string v = name("n");
      line("local " + v + " = " + numlit());
      nums.push_back(v);
    }
    for (int i = 0; i < 2; i++) {
      std::string v = name("s");
      line("local " + v + " = " + strlit());
      strs.push_back(v);
    }
    std::string t = name("t");
    line("local " + t + " = {" + numlit() + ", " + strlit() + ", " + numlit() + "}");
    tabs.push_back(t);
  }

  void exprs() {
    locals();
    int n = 4 + pick(8);
    for (int i = 0; i < n; i++) {
      int d = 1 + pick(4);
      switch (pick(4)) {
        case 0: line("R(function() return " + num(d) + " end)"); break;
        case 1: line("R(function() return " + str(d) + " end)"); break;
        case 2: line("R(function() return " + cond(d) + " end)"); break;
        default: line("R(function() return " + any(d) + ", " + any(d - 1) + " end)"); break;
      }
    }
    // the same operators on locals, so that nothing is folded at compile time
    line("do local a, b = " + numlit() + ", " + numlit() +
         " R(function() return a + b, a - b, a * b, a / b, a % b, a ^ b, -a, a == b,"
         " a < b, a <= b, a > b, a >= b, a ~= b end) end");
  }

  void strings() {
    locals();
    static const char *const pats[] = {"%a+", "%d+", "(%w+)=(%w+)", "[aeiou]", "^%s*(.-)%s*$",
                                       ".", "%p", "(a)(b)?", "[%a_][%w_]*", "x*", "%x%x"};
    static const char *const subj[] = {"\"hello world 123\"", "\"a=1, b=2, c=3\"",
                                       "\"  trim me  \"", "\"asm_x end asmfunc\"",
                                       "\"0xCAFE,babe!\"", "\"\""};
    int n = 4 + pick(8);
    for (int i = 0; i < n; i++) {
      std::string s = one(subj);
      std::string p = std::string("\"") + one(pats) + "\"";
      switch (pick(9)) {
        case 0: line("R(string.find, " + s + ", " + p + ", " + smallint() + ")"); break;
        case 1: line("R(string.find, " + s + ", " + strlit() + ", 1, true)"); break;
        case 2: line("R(string.match, " + s + ", " + p + ")"); break;
        case 3: line("R(string.gsub, " + s + ", " + p + ", " +
                     one({"\"<%0>\"", "\"%1%1\"", "{hello = 'HI', a = 1}", "string.upper",
                          "function(x) return #x > 2 and x end"}) + ", " +
                     std::to_string(pick(4)) + ")");
                break;
        case 4: line("do local r = {} for a, b in string.gmatch(" + s + ", " + p +
                     ") do r[#r + 1] = S(a) .. '/' .. S(b) end R(T.concat, r, ',') end");
                break;
        case 5: line("R(string.byte, " + str(2) + ", " + smallint() + ", " + smallint() + ")"); break;
        case 6: line("R(tonumber, " + strlit() + ", " + one({"nil", "2", "8", "16", "36", "10"}) + ")"); break;
        case 7: line("R(function() return " + str(3) + " end)"); break;
        default: line("R(function() return " + str(2) + " < " + str(2) + ", #" + str(2) + " end)"); break;
      }
    }
  }

  void formats() {
    static const char *const conv[] = {"%d", "%5d", "%-5d|", "%05d", "%+d", "%x", "%X", "%#x",
                                       "%o", "%c", "%e", "%.3e", "%E", "%f", "%.2f", "%10.4f",
                                       "%g", "%.3g", "%G", "%i", "%u", "%s", "%10s", "%-10s|",
                                       "%.3s", "%q", "%%", "%5.1s|"};
    int n = 4 + pick(8);
    for (int i = 0; i < n; i++) {
      std::string f, args;
      int k = 1 + pick(3);
      for (int j = 0; j < k; j++) {
        std::string sp = one(conv);
        f += sp + " ";
        if (sp == "%%") continue;
        bool isstr = sp.find('s') != std::string::npos || sp == "%q";
        std::string a = isstr ? (chance(80) ? strlit() : numlit())
                              : std::to_string(pick(2000) - 1000) + (chance(30) ? ".75" : "");
        // %x, %o, %u and %c take a C long: its width is the platform's
        if (sp.find_first_of("xXouc") != std::string::npos && sp != "%%")
          a = std::to_string(sp == "%c" ? 33 + pick(90) : pick(100000));
        args += ", " + a;
      }
      line("R(string.format, \"" + f + "\"" + args + ")");
    }
  }

  void tables() {
    std::string t = name("t");
    std::string items;
    int n = pick(12);
    for (int i = 0; i < n; i++) {
      switch (pick(5)) {
        case 0: items += numlit(); break;
        case 1: items += strlit(); break;
        case 2: items += "k" + std::to_string(pick(5)) + " = " + numlit(); break;
        case 3: items += "[" + std::to_string(pick(8) - 2) + "] = " + strlit(); break;
        default: items += "[ " + strlit() + "] = " + numlit(); break;
      }
      items += chance(20) ? "; " : ", ";
    }
    if (chance(30)) items += "F(3)";   // the last item's every result
    line("local " + t + " = {" + items + "}");
    line("R(function() return #" + t + ", T.maxn(" + t + "), select('#', unpack(" + t + ")) end)");
    line("R(Keys, " + t + ")");
    int m = 3 + pick(8);
    for (int i = 0; i < m; i++) {
      switch (pick(10)) {
        case 0: line("T.insert(" + t + ", " + numlit() + ")"); break;
        case 1: line("T.insert(" + t + ", 1, " + strlit() + ")"); break;
        case 2: line("R(T.remove, " + t + ")"); break;
        case 3: line("R(T.remove, " + t + ", 1)"); break;
        case 4: line(t + "[#" + t + " + 1] = " + numlit()); break;
        case 5: line(t + "[" + std::to_string(pick(40)) + "] = " + (chance(30) ? "nil" : numlit())); break;
        case 6: line("R(function() return T.concat(" + t + ", ',', 1, #" + t + " > 2 and 2 or #" + t + ") end)"); break;
        case 7: line("do local a, i, j = {}, 1, " + std::to_string(pick(4)) +
                     " a[i], a[j], i = i, j, 9 R(Keys, a) R(function() return i, j end) end");
                break;
        case 8: line(t + ".x, " + t + ".y, " + t + ".z = F(" + std::to_string(pick(5)) + ")"); break;
        default: line("R(Keys, " + t + ")"); break;
      }
    }
    // array part grown and shrunk, then sorted
    int big = 10 + pick(200);
    line("do local a = {} for i = 1, " + std::to_string(big) + " do a[i] = (i * 7919) % " +
         std::to_string(3 + pick(97)) + " end");
    line("  for i = " + std::to_string(big) + ", " + std::to_string(big / 2) + ", -1 do a[i] = nil end");
    line("  T.sort(a" + std::string(chance(50) ? ", function(x, y) return x > y end" : "") + ")");
    line("  R(function() return #a, T.concat(a, ' ') end) end");
    // a large constructor: list flushes, and the hash part beside them
    int wide = 40 + pick(600);
    std::string big_items;
    for (int i = 0; i < wide; i++) {
      big_items += std::to_string(i % 97);
      big_items += (i % 61 == 60) ? ", h" + std::to_string(i) + " = " + std::to_string(i) + ",\n" : ", ";
    }
    line("do local a = {" + big_items + "} R(function() local s = 0 for i, v in ipairs(a) do s = s + v end return #a, s, a.h60, a[" +
         std::to_string(wide) + "] end) end");
  }

  std::string flt(const char *const *vals, int n) { return vals[pick(n)]; }

  void loops() {
    static const char *const starts[] = {"1", "0", "-3", "10", "0.5", "2.5", "-1.25", "1e2", "5"};
    static const char *const steps[] = {"1", "-1", "2", "-2", "0.5", "-0.25", "3", "0.1", "-0.7", "7"};
    int n = 3 + pick(5);
    for (int i = 0; i < n; i++) {
      double a = atof(one(starts)), b, st;
      std::string sa, sb, ss;
      sa = starts[pick(9)];
      sb = starts[pick(9)];
      ss = steps[pick(10)];
      a = atof(sa.c_str());
      b = atof(sb.c_str());
      st = atof(ss.c_str());
      double trips = (b - a) / st;
      if (trips > 60) continue;   // keeps the output short
      std::string body = chance(30) ? " if i > " + sb + " then break end" : "";
      line("do local r = {} for i = " + sa + ", " + sb + (chance(20) && ss == "1" ? "" : ", " + ss) +
           " do r[#r + 1] = S(i)" + body + " end R(T.concat, r, ' ') end");
    }
    if (chance(50))   // zero step: no trips when the start is below the limit
      line("do local c = 0 for i = 1, 2, 0 do c = c + 1 if c > 3 then break end end R(function() return c end) end");
    line("do local i, r = 0, {} while true do i = i + 1 if i % " + std::to_string(2 + pick(4)) +
         " == 0 then r[#r + 1] = i end if i >= " + std::to_string(5 + pick(30)) +
         " then break end end R(T.concat, r, ',') end");
    line("do local i, r = " + std::to_string(pick(10)) + ", {} repeat local j = i * 2 i = i + 1 r[#r + 1] = j until j > " +
         std::to_string(pick(30)) + " R(T.concat, r, ',') end");
    line("do local r = {} for i = 1, 4 do for j = i, 1, -1 do if j == " + std::to_string(1 + pick(3)) +
         " then break end r[#r + 1] = i .. ':' .. j end end R(T.concat, r, ' ') end");
    line("do local r = {} for k, v in ipairs({" + numlit() + ", " + strlit() + ", nil, 4}) do r[#r + 1] = k .. '=' .. S(v) end R(T.concat, r, ' ') end");
    line("do local function it(s, c) if c < s then return c + 1, c * c end end"
         " local r = {} for a, b in it, " + std::to_string(pick(8)) + ", 0 do r[#r + 1] = a + b end R(T.concat, r, ' ') end");
    line("do local n = 0 while n < " + std::to_string(pick(50)) + " do n = n + " + std::to_string(1 + pick(5)) +
         " end local m = 10 repeat m = m - 3 until m < 0 or m == " + std::to_string(pick(11)) + " R(function() return n, m end) end");
  }

  void closures() {
    int n = 2 + pick(8);
    line("do local fs = {} for i = 1, " + std::to_string(n) + " do local j = i * 2 fs[i] = function(d) j = j + (d or 0) return i, j end end");
    line("  R(function() local r = {} for i = 1, #fs do r[#r + 1] = S(fs[i](i)) .. ',' .. S(select(2, fs[i]())) end return T.concat(r, ' ') end) end");
    line("do local fs, k = {}, 0 while k < " + std::to_string(n) + " do k = k + 1 local c = k fs[k] = function() c = c + 1 return c end end");
    line("  R(function() return fs[1](), fs[1](), fs[#fs](), k end) end");
    line("do local function counter() local c = 0 return function() c = c + 1 return c end, function() return c end end");
    line("  local inc, get = counter() inc() inc() local inc2 = counter() inc2() R(function() return get(), inc(), inc2() end) end");
    // upvalues through several levels, written from inside
    line("do local a, b = " + numlit() + ", " + strlit());
    line("  local function f() local c = 1 return function() local d = 2 return function() a = (tonumber(a) or 0) + c + d c = c + 1 return a, b, c end end end");
    line("  local g = f()() R(g) R(g) R(function() return a end) end");
    if (chance(50)) {   // 60 upvalues, the most one function may have
      std::string decl = "local ", sum;
      for (int i = 0; i < 60; i++) {
        decl += (i ? ", " : "") + std::string("u") + std::to_string(i);
        sum += (i ? " + " : "") + std::string("u") + std::to_string(i);
      }
      line("do " + decl);
      line("  " + decl.substr(6) + " = " + [&] {
             std::string v;
             for (int i = 0; i < 60; i++) v += (i ? ", " : "") + std::to_string(i * 3 + pick(3));
             return v;
           }());
      line("  R(function() u59 = u59 + 1 return " + sum + " end) R(function() return u59 end) end");
    }
  }

  void calls() {
    line("do local function v(...) local a, b = ... return select('#', ...), a, b, select(" +
         std::to_string(1 + pick(3)) + ", ...) end");
    static const char *const argl[] = {"", "nil", "1, nil", "nil, nil, 3", "F(3)", "F(2), 9", "(F(3))", "unpack({1, nil, 3})"};
    for (int i = 0; i < 3; i++) {
      std::string a = one(argl);
      line("  R(v" + (a.empty() ? a : ", " + a) + ")");
    }
    line("  R(function(...) return select(-1, ...) end, 1, 2, 3)");
    line("  R(function(...) local t = {...} return #t, ... end, " + numlit() + ", nil, " + strlit() + ") end");
    line("do local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end R(fib, " +
         std::to_string(5 + pick(12)) + ") end");
    line("do local function loop(n, acc) if n == 0 then return acc end return loop(n - 1, acc + n) end R(loop, " +
         std::to_string(1000 + pick(30000)) + ", 0) end");
    line("do local function even(n) if n == 0 then return true end return odd(n - 1) end"
         " function odd(n) if n == 0 then return false end return even(n - 1) end R(even, " +
         std::to_string(pick(200)) + ") odd = nil end");
    line("do local o = {v = " + numlit() + "} function o:get(d) return self.v + (d or 0) end"
         " function o.set(self, x) self.v = x return self end R(function() return o:get(), o:set(" +
         numlit() + "):get(1), o.get(o, 2) end) end");
    line("do local a = {b = {c = {}}} function a.b.c.f(x) return x, 'f' end function a.b.c:m(x) return self == a.b.c, x end"
         " R(a.b.c.f, 4) R(function() return a.b.c:m(5) end) end");
    line("do local f = function(a, b, c) return c, b, a end R(function() return f(1, 2, 3), f(F(2)) end) end");
    line("do local d = string.dump(function(x, ...) local s = 0 for i = 1, x do s = s + i end return s, select('#', ...) end)"
         " R(loadstring(d), " + std::to_string(pick(100)) + ", 1, 2) end");
    line("do R(loadstring(\"local a, b = ... return b, a, " + std::to_string(pick(50)) + "\"), 'x', 'y') R(loadstring, 'return +') end");
    line("do R(function() return (F(3)) end) R(function() return F(3), F(2) end) R(function() return {F(3), F(3)} end) end");
  }

  void metas() {
    line("do local base = {name = 'base', hello = function(self) return 'hi ' .. self.name end}");
    line("  local mid = setmetatable({kind = 'mid'}, {__index = base})");
    line("  local obj = setmetatable({name = 'obj'}, {__index = mid})");
    line("  R(function() return obj:hello(), obj.kind, obj.missing, rawget(obj, 'kind') end)");
    line("  local f = setmetatable({}, {__index = function(t, k) return k .. '!' end}) R(function() return f.x, f[1], rawget(f, 'x') end)");
    line("  local log = {} local w = setmetatable({}, {__newindex = function(t, k, v) log[#log + 1] = tostring(k) rawset(t, k, v) end})");
    line("  w.a = 1 w.a = 2 w.b = 3 R(function() return T.concat(log, ','), w.a, w.b end)");
    line("  local store = {} local p = setmetatable({}, {__newindex = store, __index = store}) p.x = " + numlit() +
         " R(function() return rawget(p, 'x'), store.x, p.x end) end");
    line("do local mt = {} mt.__index = mt");
    line("  mt.__add = function(a, b) return V((tonumber(a) or a.v) + (tonumber(b) or b.v)) end");
    line("  mt.__sub = function(a, b) return V(a.v - b.v) end mt.__mul = function(a, b) return V(a.v * (tonumber(b) or b.v)) end");
    line("  mt.__unm = function(a) return V(-a.v) end mt.__mod = function(a, b) return V(a.v % b.v) end");
    line("  mt.__eq = function(a, b) return a.v == b.v end mt.__lt = function(a, b) return a.v < b.v end");
    line("  mt.__le = function(a, b) return a.v <= b.v end mt.__concat = function(a, b) return S(type(a) == 'table' and a.v or a) .. '&' .. S(type(b) == 'table' and b.v or b) end");
    line("  mt.__call = function(self, x, ...) return self.v, x, select('#', ...) end mt.__tostring = function(a) return 'V' .. S(a.v) end");
    line("  mt.__len = function() return 99 end");
    line("  function V(v) return setmetatable({v = v}, mt) end");
    line("  local a, b = V(" + numlit() + "), V(" + numlit() + ")");
    static const char *const ops[] = {"(a + b).v", "(a + 1).v", "(2 + b).v", "(a - b).v", "(a * 3).v",
                                      "(-a).v", "(a % b).v", "a == b", "a ~= b", "a < b", "a <= b",
                                      "a > b", "a >= b", "a .. b", "a .. 'x'", "1 .. a", "a .. b .. 'c'",
                                      "a(1, 2, 3)", "tostring(a)", "#a", "a == V(a.v)", "rawequal(a, a)",
                                      "not (a < b)", "a.missing"};
    int n = 4 + pick(8);
    for (int i = 0; i < n; i++) line("  R(function() return " + std::string(one(ops)) + " end)");
    line("  V = nil end");
    line("do local t = setmetatable({}, {__index = function(t, k) if k < " + std::to_string(pick(30)) +
         " then return t[k + 1] end return k end}) R(function() return t[1] end) end");
    line("do local s = 'abc' R(function() return s:upper(), ('x'):rep(3), #s:sub(2) end) end");
  }

  void errors() {
    static const char *const vals[] = {"'msg'", "'msg', 0", "'msg', 2", "42", "nil", "true",
                                       "{name = 'err'}", "setmetatable({}, {__tostring = function() return 'E' end})",
                                       "3.5", "''"};
    int n = 3 + pick(6);
    for (int i = 0; i < n; i++)
      line("R(function() error(" + std::string(one(vals)) + ") end)");
    static const char *const rt[] = {
        "local x x.y = 1", "local x return x + 1", "return nosuch()", "local t = {} return t.a.b",
        "return 'abc' + 1", "return {} .. 'x'", "return 1 < 'x'", "return {} < {}", "return #nil",
        "local s = 'x' return s:nosuch()", "for i = 'a', 2 do end", "return ('x'):rep(1, 2, 3) .. nil",
        "local t = setmetatable({}, {__index = function() error('deep') end}) return t.x",
        "return string.rep()", "return math.floor('z')", "return select(0)", "local a = {} a[nil] = 1",
        "return (nil)()", "local up = {} return function() return up.x.y end", "error()",
        "return tostring()", "return setmetatable(1, {})", "return ('x'):bad()", "local t = {} t[0/0] = 1"};
    int m = 3 + pick(6);
    for (int i = 0; i < m; i++) line("R(function() " + std::string(one(rt)) + " end)");
    line("R(function() local ok, e = pcall(error, {code = " + std::to_string(pick(9)) + "}) return ok, e.code end)");
    line("R(function() return xpcall(function() error('x' .. " + std::to_string(pick(9)) +
         ") end, function(m) return 'handled ' .. m end) end)");
    line("R(function() return pcall(pcall, error, 'e') end)");
    line("R(function() return select('#', pcall(error)) end)");
    line("R(function() local ok, e = pcall(function() local a = nil; return a.b end) return e end)");
  }

  void coroutines() {
    line("do local co = coroutine.create(function(a, b) local c = coroutine.yield(a + b) local d, e = coroutine.yield(c * 2) return d + e, 'done' end)");
    line("  R(coroutine.resume, co, " + std::to_string(pick(10)) + ", " + std::to_string(pick(10)) +
         ") R(coroutine.resume, co, " + std::to_string(pick(10)) + ") R(coroutine.resume, co, 1, 2) R(coroutine.resume, co) R(coroutine.status, co) end");
    line("do local gen = coroutine.wrap(function() for i = 1, " + std::to_string(1 + pick(8)) +
         " do coroutine.yield(i, i * i) end return 'end' end) R(function() local r = {} for i = 1, 10 do local a = gen() r[#r + 1] = S(a) if a == 'end' then break end end return T.concat(r, ' ') end) end");
    line("do local co = coroutine.create(function() error({" + std::to_string(pick(9)) + "}) end) R(function() local ok, e = coroutine.resume(co) return ok, e[1], coroutine.status(co) end) end");
    line("do local co = coroutine.create(function() error('in co') end) R(coroutine.resume, co) R(coroutine.resume, co) end");
    line("do R(function() return pcall(coroutine.yield, 1) end) R(coroutine.running) end");
    line("do local co co = coroutine.create(function() return coroutine.status(co), coroutine.resume(co) end) R(coroutine.resume, co) end");
    line("do local function tree(n) if n > 0 then tree(n - 1) coroutine.yield(n) tree(n - 1) end end");
    line("  local r = {} for v in coroutine.wrap(function() tree(" + std::to_string(1 + pick(4)) +
         ") end) do r[#r + 1] = v end R(T.concat, r, '') end");
    line("do local co = coroutine.wrap(function(...) local n = select('#', ...) while true do n = n + select('#', coroutine.yield(n)) end end)"
         " R(co, 1, 2) R(co) R(co, nil, nil, nil) end");
  }

  void limits() {
    switch (pick(4)) {
      case 0: {   // constants past 256: RK operands that no longer fit
        int k = 260 + pick(200);
        std::string decl = "local c = {";
        for (int i = 0; i < k; i++) decl += "'c" + std::to_string(i) + "', ";
        line(decl + "}");
        line("local x, y = " + numlit() + ", 'c1'");
        line("R(function() local r = {} r[1] = x + 1000.25 r[2] = x * 299.5 r[3] = 'c" + std::to_string(k - 1) +
             "' == y r[4] = x < 1234.5 r[5] = #c r.k" + std::to_string(k) + " = x r[6] = r.k" +
             std::to_string(k) + " == x r[7] = x - 77.75 r[8] = 3333.5 - x r[9] = x == 4444.5 r[10] = 5555.5 <= x return unpack(r, 1, 10) end)");
        std::string fn = "R(function() local t = {} ";
        for (int i = 0; i < 300; i++) fn += "t['k" + std::to_string(i) + "'] = " + std::to_string(i) + ".5 ";
        line(fn + "return t.k0, t.k255, t.k256, t.k299, t['k' .. " + std::to_string(pick(300)) + "] end)");
        break;
      }
      case 1: {   // 200 locals, the most a function may have
        std::string d, s;
        for (int i = 0; i < 199; i++) {
          d += "local l" + std::to_string(i) + " = " + std::to_string(i) + " ";
          if (i % 20 == 0) d += "\n";
        }
        line("R(function() " + d + " local last = l0 + l198 return last, l100, l" + std::to_string(pick(199)) + " end)");
        line("R(loadstring, '" + [&] {
               std::string v;
               for (int i = 0; i < 201; i++) v += "local z" + std::to_string(i) + " ";
               return v;
             }() + "')");
        break;
      }
      case 2: {   // deep nesting and long expressions
        int depth = 20 + pick(150);
        std::string e;
        for (int i = 0; i < depth; i++) e += "(";
        e += "1";
        for (int i = 0; i < depth; i++) e += " + " + std::to_string(i % 10) + ")";
        line("R(function() return " + e + " end)");
        std::string c = "'a'";
        for (int i = 0; i < 100 + pick(150); i++) c += " .. " + std::to_string(i % 10);
        line("R(function() return " + c + " end)");
        line("R(loadstring, string.rep('(', 300) .. '1' .. string.rep(')', 300))");
        line("R(function() local x = 0 " + std::string("") + [&] {
               std::string v;
               int n = 10 + pick(60);
               for (int i = 0; i < n; i++) v += "do ";
               v += "x = x + 1 ";
               for (int i = 0; i < n; i++) v += "end ";
               return v;
             }() + " return x end)");
        break;
      }
      default: {   // many registers in one call and one constructor
        int n = 100 + pick(140);
        std::string a;
        for (int i = 0; i < n; i++) a += (i ? ", " : "") + std::to_string(i);
        line("R(function() return select('#', " + a + "), select(" + std::to_string(n) + ", " + a + ") end)");
        line("R(function() local t = {" + a + "} return #t, t[" + std::to_string(n) + "] end)");
        line("R(function() local a, b, c = " + a + " return a, b, c end)");
        break;
      }
    }
  }

  void lexer() {
    line("R(function() return [[\nfirst newline dropped]], [==[\n]] ]=] kept]==], [=[a\n\nb]=] end)");
    line("--[[ a long comment with asm and end and asmfunc ]] R(function() return 1 end)");
    line("--[==[ a longer one\nwith ]] inside\n]==] R(function() return 2 end)");
    line("-- asm lua! end\nR(function() return 3 end)");
    line("R(function() local asmx, _asm, asm_, Asm, ASM, asmfunc1, endx, end_ = 1, 2, 3, 4, 5, 6, 7, 8"
         " return asmx + _asm + asm_ + Asm + ASM + asmfunc1 + endx + end_ end)");
    line("R(function() local t = {asm1 = 1, ['asm'] = 2, ['asmfunc'] = 3, _end = 4} return t.asm1, t['asm'], t['asmfunc'], t._end end)");
    line("R(function() local s = 'asm' .. \"func\" return s, #s, ('asm end'):upper() end)");
    line("R(function() return 0x10, 0XA, 1e+2, 1E-2, .5e1, 3., 0x0, 1e0 end)");
    line("R(function() return '\\a\\b\\f\\v\\r' == string.char(7, 8, 12, 11, 13), '\\9\\99\\199', 'a\\\nb' end)");
    line("R(function() local a = 1 ; local b = 2 ; return a + b ; end)");
    line("R(loadstring, 'x = = 1') R(loadstring, 'x = \"unfinished') R(loadstring, 'x = [[ unfinished') R(loadstring, 'for end')");
    line("R(function() local f = loadstring('return function() return \"inner\" end') return f()() end)");
    if (chance(50)) line("R(function() return " + std::string(one({"1 --[[x]] + 2", "1 --\n+ 2", "(1) --[=[]=] * 3"})) + " end)");
  }

  void prelude() {
    line("local T = table or array");
    line("local function S(v)");
    line("  local k = type(v)");
    line("  if k == 'number' then");
    line("    if v ~= v then return 'nan' elseif v == 1/0 then return 'inf' elseif v == -1/0 then return '-inf' end");
    line("    return tostring(v)");
    line("  elseif k == 'string' then return string.format('%q', v)");
    line("  elseif k == 'table' then return 'table' .. (rawget(v, 'name') and ':' .. tostring(rawget(v, 'name')) or '')");
    line("  elseif k == 'nil' or k == 'boolean' then return tostring(v) end");
    line("  return k");
    line("end");
    line("local function pack(...) return {n = select('#', ...), ...} end");
    line("local count = 0");
    line("local function R(f, ...)");
    line("  count = count + 1");
    line("  local r = pack(pcall(f, ...))");
    line("  local p = {}");
    line("  for i = 1, r.n do p[i] = S(r[i]) end");
    line("  print(count, T.concat(p, ' '))");
    line("end");
    line("local function Keys(t)");
    line("  local k = {} for key in pairs(t) do k[#k + 1] = key end");
    line("  T.sort(k, function(a, b) if type(a) ~= type(b) then return type(a) < type(b) end return a < b end)");
    line("  local p = {} for i, key in ipairs(k) do p[i] = S(key) .. '=' .. S(t[key]) end");
    line("  return T.concat(p, ' ')");
    line("end");
    line("local function F(n) if n <= 0 then return end return n, F(n - 1) end");
  }
};

}  // namespace

std::string luagen_program(uint32_t seed) {
  Gen g(seed);
  g.prelude();
  int n = 5 + g.pick(6);
  for (int i = 0; i < n; i++) {
    g.line("do local ok, e = pcall(function()");
    switch (g.pick(12)) {
      case 0: case 1: g.exprs(); break;
      case 2: g.strings(); break;
      case 3: g.formats(); break;
      case 4: g.tables(); break;
      case 5: g.loops(); break;
      case 6: g.closures(); break;
      case 7: g.calls(); break;
      case 8: g.metas(); break;
      case 9: g.errors(); break;
      case 10: g.coroutines(); break;
      default: g.chance(50) ? g.limits() : g.lexer(); break;
    }
    g.line("end) print('section', " + std::to_string(i) + ", ok, S(e)) end");
  }
  return g.o;
}
