-- start.t: run by Trelk at start-up from the current folder. This one
-- greets a newcomer and adds a tour of the examples to "Main Menu".
-- Change it freely: `savestate()' writes the current interface here.

-- Runs an example script of the current folder. The examples are start-up
-- scripts too; those that show their windows from `atstart' get it called
-- here, since the start-up hook has run long ago.
function example(file)
  if not attr(file) then
    print("\r" .. file .. " is not in " .. pwd() ..
          "; copy the files of Trelk's examples folder here\r")
    return
  end
  local keep = atstart
  atstart = nil
  local ok, err = pcall(dofile, file)
  local show = atstart
  atstart = keep
  if not ok then error(err, 0) end
  if type(show) == "function" then show() end
end

local tour = menu{name = "Examples", comment = "example scripts: one click runs one"}
for _, e in ipairs{
  {"Menus", "menus.t", "entries of every kind, added to this menu"},
  {"Dialogs", "dialogs.t", "a tabbed dialog, a form and a table that scrolls"},
  {"Lexer", "lexer.t", "an editor coloured and folded by a lexer written in Lua"},
  {"Canvas", "canvas.t", "vector drawing; drag the points of the star"},
  {"Inline assembly", "asm.t", "x86 code inside Lua"},
  {"Database", "db.t", "tables of typed rows, sorted and selected"},
  {"Regular expressions", "regex.t", "Perl-compatible expressions in the string functions"},
} do
  tour:ins(button{name = e[1], comment = e[3],
                  command = 'example("' .. e[2] .. '")'})
end
trelk:ins(tour)

print("Welcome to Trelk! Type a line of Lua after the prompt and press Enter.\r" ..
      "Try these (print ends no line: the next prompt does):\r" ..
      "    print(math.pi)\r" ..
      "    print((\"hello\"):upper(), #\"hello\")\r" ..
      "    t = {} for i = 1, 5 do t[i] = i * i end print(array.concat(t, \", \"))\r" ..
      "Up and Down recall earlier lines; Ctrl+Break stops a line that runs too long.\r" ..
      "Rest the pointer on \"Main Menu\", then on \"Examples\", for a tour.\r" ..
      "\"Exit Trelk\" ends the program; docs/start.md says more.")

function atexit()
  -- runs when Trelk ends through "Exit Trelk" or exit()
end
