-- A small "Notes" application built by script: a main menu with
-- sub-menus, a right-click menu, a resizeable dialog with every kind of
-- control and a table of 40 rows inside it, and a tabbed dialog. The
-- start-up code reaches the dialog by its global name, as a restarted
-- file must let it.

function build()
  local file = menu{name = "File", comment = "files"}
  file:ins(button{name = "New", command = "print('new')"})
  file:ins(separator{})
  recent = menu{name = "Recent"}
  recent:ins(button{name = "one.txt"})
  recent:ins(button{name = "two.txt"})
  local re = file:ins(recent)
  re.vertdrop = true
  trelk:ins(file)

  form = dialog{name = "Note", comment = "one note", w = 420, h = 380,
                command = "if reason == 3 then sized = form.w end"}
  form.resizeable = true
  title = edit{name = "Title"}
  form:ins(title, 10, 10, 200, 22)
  body = multiedit{name = "first line\nsecond line"}
  form:ins(body, 10, 40, 200, 80)
  body.style[1].fore = 0xFF
  body.style.lex[1] = "todo done"
  count = edit{name = "7"}
  count.digital = 10
  form:ins(count, 220, 10, 90, 22)
  form:ins(label{name = "Tags"}, 10, 130, 60, 22)
  form:ins(checkbox{name = "Pinned", checked = true}, 80, 130, 100, 22)
  form:ins(radio{name = "Low"}, 10, 160, 80, 22)
  form:ins(radio{name = "High", checked = true}, 90, 160, 80, 22)
  form:ins(separator{}, 10, 190, 300, 5)
  greet = button{name = "Greet", comment = "say hello",
                 command = "greet.name = 'Hi ' .. title.name" ..
                           " local f = io.open('greeted.txt', 'w')" ..
                           " f:write(greet.name) f:close()"}
  form:ins(greet, 10, 200, 100, 22)
  greet.onRBUTTONCLICK = menu{name = "Greet menu"}
  greet.onRBUTTONCLICK:ins(button{name = "Copy"})
  rows = table{name = "Rows", comment = "forty rows"}
  for i = 1, 40 do
    rows:ins(button{name = "row " .. i, command = "picked = " .. i})
  end
  rows.command = "last_step = scrollCurPos"
  local embedded = form:ins(rows, 10, 230, 300, 120)
  embedded.container = true
  notes = trelk:ins(form)
  notes.command = "opened = true"

  settings = dialog{name = "Settings", w = 300, h = 200}
  settings.tabbed = true
  general = dialog{name = "General"}
  general:ins(checkbox{name = "Autosave"}, 5, 5, 120, 22)
  settings:ins(general, 1)
  colours = menu{name = "Colours"}
  colours:ins(button{name = "Reset"})
  settings:ins(colours, 2)
  trelk:ins(settings)
end

-- The tree below trelk as scripts see it: kinds, names, properties, rows
-- in order, attached and right-click objects, and the global names that
-- reach each object. A container's command is written as a function, so
-- it comes back with a line break after `function()' and one before `end'.
function dump(file)
  local function writer_var(k)   -- _1_, __1__: the writer's own
    for u = 1, 2 do
      local mid = k:sub(u + 1, -u - 1)
      if #k > 2 * u and k:sub(1, u) == ("_"):rep(u) and k:sub(-u) == ("_"):rep(u) then
        local digits = true
        for i = 1, #mid do
          local b = mid:byte(i)
          if b < 48 or b > 57 then digits = false end
        end
        if digits then return true end
      end
    end
    return false
  end
  local names = {}
  for k, v in pairs(_G) do
    if type(k) == "string" and type(v) == "table" and k ~= "this"
       and k ~= "trelk" and not writer_var(k)
       and (rawget(v, "HANDLE") or rawget(v, "msHANDLE")) then
      names[v] = names[v] or {}
      names[v][#names[v] + 1] = k
    end
  end
  local out, seen = {}, {}
  local props = {"name", "comment", "command", "x", "y", "w", "h", "checked",
                 "tabbed", "digital", "vertdrop", "container"}
  local function walk(o, d, how)
    local s = {string.rep(" ", d) .. how, tostring(rawget(o, "TYPE"))}
    if seen[o] then out[#out + 1] = s[1] .. " again" return end
    seen[o] = true
    for _, p in ipairs(props) do
      local v = o[p]
      if p == "command" and v and rawget(o, "HANDLE") then
        v = v:gsub("^\n", ""):gsub("\n$", "")
      end
      if v ~= nil and v ~= false and v ~= 0 then
        s[#s + 1] = p .. "=" .. string.format("%q", tostring(v))
      end
    end
    if rawget(o, "style") then
      s[#s + 1] = "fore1=" .. tostring(o.style[1].fore)
      s[#s + 1] = "lex1=" .. tostring(o.style.lex[1])
    end
    if names[o] then
      array.sort(names[o])
      s[#s + 1] = "as " .. array.concat(names[o], ",")
    end
    out[#out + 1] = array.concat(s, " ")
    if rawget(o, "HANDLE") then
      for i = 1, o.n do walk(o[i], d + 1, "[" .. i .. "]") end
    elseif o.sub then
      walk(o.sub, d + 1, "sub")
    end
    if o.onRBUTTONCLICK then walk(o.onRBUTTONCLICK, d + 1, "rclick") end
  end
  walk(trelk, 0, "trelk")
  local f = io.open(file, "w")
  f:write(array.concat(out, "\n"), "\n")
  f:close()
end

-- The first start builds the application; a start on the saved file finds
-- it there. Either way the dialog is shown by its global name, the tree is
-- written down and the application saved.
function atstart()
  if form == nil then build() end
  form:show(100, 100)
  dump("tree.txt")
  savestate("saved.t")
  local f = io.open("ready.txt", "w")
  f:close()
end
