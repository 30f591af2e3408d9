-- regex.t: string.find, match, gmatch and gsub take Perl-compatible regular
-- expressions. Positions from find are offsets from 0, end exclusive; a
-- match is never empty; gsub writes groups as \1, \2. Run it with
-- dofile("regex.t"), or from "Main Menu" -> "Examples". See docs/regex.md.

local text = "Trelk 1.0 was built on 2024-05-17; mail bugs@example.org or " ..
             "admin@example.com before 2024-06-01."

print("\r" .. text .. "\r")
for all, y, m, d in text:gmatch([[(\d{4})-(\d\d)-(\d\d)]]) do
  print("date " .. all .. ": day " .. d .. " of month " .. m .. "\r")
end
for mail in text:gmatch([[[\w.]+@[\w.]+\w]]) do print("mail " .. mail .. "\r") end
print("first number at offset " .. text:find([[\d+(\.\d+)?]]) .. "\r")
print((text:gsub([[(\d{4})-(\d\d)-(\d\d)]], [[\3.\2.\1]])) .. "\r")

-- A window to try expressions: the matches go to the terminal.
regex_example = dialog{name = "Regular expressions", w = 440, h = 110}
regex_text = edit{name = text, comment = "the text searched"}
regex_expr = edit{name = [[\b\w{5}\b]], comment = "a regular expression"}
regex_example:ins(label{name = "Text"}, 10, 10, 80, 22)
regex_example:ins(regex_text, 90, 10, 340, 22)
regex_example:ins(label{name = "Expression"}, 10, 40, 80, 22)
regex_example:ins(regex_expr, 90, 40, 200, 22)
regex_example:ins(button{name = "Find all", comment = "prints every match",
  command = function()
    local n = 0
    for all in regex_text.text:gmatch(regex_expr.text) do
      n = n + 1
      print("\r" .. n .. ": " .. all)
    end
    print("\r" .. n .. " matches of " .. regex_expr.text .. "\r")
  end}, 10, 72, 100, 24)
regex_example:show(420, 420)
