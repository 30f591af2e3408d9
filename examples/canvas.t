-- canvas.t: drawing with gi into a painted button, and dragging the points
-- of a star by hand. Run it with dofile("canvas.t") or copy it to start.t.

local d = dialog{name = "Drawing", w = 424, h = 342}
pad = button{name = "pad"}
pad.paint = true                                 -- the command paints it
pad.command = [[if reason == 20 then gi:render(this) end]]
d:ins(pad, 10, 10, 400, 300)     -- a dialog places and sizes its controls

gi:clear(250, 250, 240)          -- no paths yet; an opaque cream background

-- a red frame: the inner square overlaps the outer one and is left empty
local frame = gi:newpath(20, 20)
frame:lineto(180, 20) frame:lineto(180, 140) frame:lineto(20, 140)
frame:moveto(60, 50)
frame:lineto(140, 50) frame:lineto(140, 110) frame:lineto(60, 110)
frame:fill(200, 30, 30)

-- a half-transparent blue ellipse over its corner
local disc = gi:newpath()
disc:ellipse(160, 120, 70, 40)
disc:fill(30, 60, 220, 128)

-- a leaf of two curves, drawn around the origin, then scaled, turned and
-- moved into place
local leaf = gi:newpath(0, 0)
leaf:bezierto(20, 40, 60, 40, 80, 0)
leaf:bezierto(60, -40, 20, -40, 0, 0)
leaf:fill(40, 160, 60)
leaf:magnify(1.5, 1.5)
leaf:angle(math.pi / 6)
leaf:shift(250, 60)

-- text outlines: the counters of "e" and "k" stay open
local title = gi:newpath()
title:text("Trelk", -48, "arial")
title:fill(20, 20, 20)
title:shift(30, 200)

-- a star whose ten points can be dragged
star = gi:newpath(330, 240)
for i = 1, 9 do
  local a = math.pi / 2 + i * math.pi / 5
  local r = i % 2 == 1 and 25 or 60
  star:lineto(330 + math.floor(r * math.cos(a)), 180 + math.floor(r * math.sin(a)))
end
star:fill(240, 180, 0)

local old = atstart
function atstart()
  if old then old() end
  d:show(100, 100)
  star:edit(pad, function()
    print("\rpoint " .. vertexN .. " is now at " ..
          path[vertexN].x .. ", " .. path[vertexN].y .. "\n")
  end)
end
