-- menus.t: a start-up script that builds a menu with every kind of control.
-- Copy it to start.t (or run it with dofile("menus.t")) and open "Main Menu".

-- Run again, it first takes out the entries it put in before.
for _, e in ipairs(menus_example or {}) do e:del() end
menus_example = {}
local function add(x)
  menus_example[#menus_example + 1] = trelk:ins(x)
end

local tools = menu{name = "Tools", comment = "more things to do"}
tools:ins(button{name = "Say hello", command = 'print("\\rhello\\n")'})
tools:ins(label{name = "A label says something"})

add(button{name = "Date", comment = "prints the date",
           command = 'print("\\r" .. os.date() .. "\\n")'})
add(separator())
add(checkbox{name = "Verbose", checked = true,
             command = 'print("\\rverbose: " .. tostring(this.checked) .. "\\n")'})
for _, size in ipairs{"Small", "Medium", "Large"} do
  add(radio{name = size, checked = size == "Medium",
            command = 'if reason == 4 then print("\\rsize: " .. this.name .. "\\n") end'})
end
add(separator())
local count = edit{name = "10", comment = "a numeric field"}
count.digital = 10
add(count)
add(tools)                            -- drops open beside its entry

-- colours are read at every paint
trelk.color.ms_text = 0x402000        -- dark blue-ish entry texts

-- a menu of its own window, listed in "Free Windows Menu"
local free = menu{name = "Floating"}
free:ins(button{name = "Close me", command = 'print("\\rclicked\\n")'})
function atstart() free:show(100, 100) end
