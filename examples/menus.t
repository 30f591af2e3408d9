-- menus.t: a start-up script that builds a menu with every kind of control.
-- Copy it to start.t (or run it with dofile("menus.t")) and open "Main Menu".

local tools = menu{name = "Tools", comment = "more things to do"}
tools:ins(button{name = "Say hello", command = 'print("\\rhello\\n")'})
tools:ins(label{name = "A label says something"})

trelk:ins(button{name = "Date", comment = "prints the date",
                 command = 'print("\\r" .. os.date() .. "\\n")'})
trelk:ins(separator())
trelk:ins(checkbox{name = "Verbose", checked = true,
                   command = 'print("\\rverbose: " .. tostring(this.checked) .. "\\n")'})
for _, size in ipairs{"Small", "Medium", "Large"} do
  trelk:ins(radio{name = size, checked = size == "Medium",
                  command = 'if reason == 4 then print("\\rsize: " .. this.name .. "\\n") end'})
end
trelk:ins(separator())
local count = edit{name = "10", comment = "a numeric field"}
count.digital = 10
trelk:ins(count)
trelk:ins(tools)                      -- drops open beside its entry

-- colours are read at every paint
trelk.color.ms_text = 0x402000        -- dark blue-ish entry texts

-- a menu of its own window, listed in "Free Windows Menu"
local free = menu{name = "Floating"}
free:ins(button{name = "Close me", command = 'print("\\rclicked\\n")'})
function atstart() free:show(100, 100) end
