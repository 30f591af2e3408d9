-- dialogs.t: a start-up script with a resizeable tabbed dialog, controls
-- at explicit places, and a long table that scrolls.
-- Copy it to start.t (or run it with dofile("dialogs.t")).

-- commands run in an environment of their own: what they use is global
demo = dialog{name = "Dialogs", w = 440, h = 320,
  command = 'if reason == 3 then print("\\rsize " .. demo.w .. " x " .. demo.h .. "\\n") end'}
demo.resizeable = true                -- a grip in the bottom right corner
demo.tabbed = true                    -- entries are tabs, objects are pages

-- first page: a few controls at their own places
local form = dialog{name = "Form"}
form:ins(label{name = "Name"}, 10, 12, 66, 22)
greeting = edit{name = "nobody"}
form:ins(greeting, 80, 12, 150, 22)
form:ins(checkbox{name = "Remember me", checked = true}, 10, 44, 150, 22)
form:ins(button{name = "Greet",
  command = 'print("\\rhello, " .. greeting.text .. "\\n")'}, 10, 80, 80, 24)

-- second page: radio buttons in one group
local choice = dialog{name = "Choice"}
for i, size in ipairs{"Small", "Medium", "Large"} do
  choice:ins(radio{name = size, checked = size == "Medium",
    command = 'if reason == 4 then print("\\r" .. this.name .. "\\n") end'},
    10, 10 + 26 * (i - 1), 120, 22)
end

-- third page: a table of 100 rows; it scrolls with its arrows and thumb
local long = table{name = "Long list"}
long.command = 'if reason == 11 then print("\\rfirst row " .. scrollCurPos .. "\\n") end'
for i = 1, 100 do
  long:ins(button{name = "row " .. i, command = 'print("\\r" .. this.name .. "\\n")'})
end

demo:ins(form, 1)
demo:ins(choice, 2)
demo:ins(long, 3)

-- a table inside an ordinary dialog, in a rectangle of its own
local plain = dialog{name = "Embedded", w = 260, h = 220}
local files = table{name = "Files"}
local names = ls() or {n = 0}
for i = 1, names.n do files:ins(label{name = names[i]}) end
local e = plain:ins(files, 10, 10, 230, 170)
e.container = true

function atstart()
  demo:show(80, 80)
  plain:show(560, 80)
end
