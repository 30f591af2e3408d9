-- lexer.t: an editor with its own colouring and folding, written in Lua.
-- Run it with dofile("lexer.t") or copy it into start.t. It opens a window
-- with a multi-line edit for a small settings language:
--
--   [section]          a header; the lines up to the next header fold under it
--   name = "text"      strings in double quotes
--   size = 12          numbers
--   on, off, yes, no   keywords (keyword set 1)
--   # comment          to the end of the line

local text = [[
# window settings
[window]
title = "Trelk"
width = 640
resizable = yes

[colours]
background = 16777215   # white
accent = "blue"
]]

-- When its window is made (reason 1) the edit sets up what the style table
-- has no key for: fold markers in margin 3 that fold on a click.
local ed = multiedit{name = text, w = 420, h = 220, command = function()
  if reason == 1 then
    this:mes(2244, 2, 0xFE000000)  -- SCI_SETMARGINMASKN: the fold markers
    this:mes(2246, 2, 1)           -- SCI_SETMARGINSENSITIVEN
    this:mes(2040, 30, 12)         -- SCI_MARKERDEFINE folded: a plus
    this:mes(2040, 31, 14)         -- open: a minus
    for m = 25, 29 do this:mes(2040, m, 5) end   -- the rest: nothing
    this:mes(2663, 7)              -- SCI_SETAUTOMATICFOLD: clicks fold
  end
end}

-- styles are numbered from 1: style[1] is the lexer's default style
local S = {default = 1, section = 2, string = 3, number = 4, keyword = 5,
           comment = 6, key = 7}
local style = ed.style
for i = 1, 7 do style[i].font = {name = "Courier New", size = 11} end
style[S.section].fore = 0x800000;  style[S.section].font.bold = true
style[S.string].fore  = 0x008000
style[S.number].fore  = 0xFF0000
style[S.keyword].fore = 0x0000C0;  style[S.keyword].case = "u"
style[S.comment].fore = 0x808080;  style[S.comment].font.italic = true
style[S.key].fore     = 0x404040

style.margin[1] = {type = "number", w = "999"}   -- line numbers, 3 digits
style.margin[3] = {type = "fold", w = 14}        -- the fold margin
style.lex[1] = "on off yes no true false"

local function letter(c) return (c >= "a" and c <= "z") or (c >= "A" and c <= "Z") or c == "_" end
local function digit(c) return c >= "0" and c <= "9" end

-- The lexer walks its range with forward(), ends a piece of text with
-- setstate(next style) and finishes with complete(). `state' is the style
-- the text read since the last setstate will get.
style.lex.lex = function()
  while more do
    if state == S.key and not (letter(ch) or digit(ch)) then
      if wl[1].InList(currentLowered) then changestate(S.keyword) end
      setstate(S.default)
    elseif state == S.number and not digit(ch) then
      setstate(S.default)
    elseif state == S.string and ch == '"' then
      forward() setstate(S.default)
    elseif (state == S.comment or state == S.section) and atLineEnd then
      forward() setstate(S.default)
    end
    if state == S.default then
      if ch == "#" then setstate(S.comment)
      elseif ch == "[" and atLineStart then setstate(S.section)
      elseif ch == '"' then setstate(S.string)
      elseif digit(ch) then setstate(S.number)
      elseif letter(ch) then setstate(S.key) end
    end
    forward()
  end
  if state == S.key and wl[1].InList(currentLowered) then changestate(S.keyword) end
  complete()
end

-- The folder gives every line a fold level: 0x400 is the base level,
-- 0x2000 marks a header whose following deeper lines fold under it.
style.lex.folder = function()
  local pos, stop = startPos, startPos + length
  local line = getLine(pos)
  local inside = false
  if line > 0 then
    local before = getLevel(line - 1)
    inside = before >= 0x2000 or before % 0x1000 > 0x400
  end
  while pos < stop do
    if getChar(pos) == "[" then
      setLevel(line, 0x400 + 0x2000)
      inside = true
    else
      setLevel(line, inside and 0x401 or 0x400)
    end
    while pos < stop and getChar(pos) ~= "\n" do pos = pos + 1 end
    pos, line = pos + 1, line + 1
  end
end

lexer_example = menu{name = "Settings editor"}
lexer_example:ins(ed)
lexer_example.editor = ed
lexer_example:show(120, 80)
-- a click in the fold margin folds a section; ed:mes(2231, line) (SCI_TOGGLEFOLD)
-- does it from a script
