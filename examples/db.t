-- db.t: the embedded table database. A storage holds views (tables) of
-- typed rows; views are sorted, selected and searched, and a storage with a
-- file name is kept on disk by flush(). Run it with dofile("db.t"), or from
-- "Main Menu" -> "Examples". See docs/db.md.

local st = db.use()            -- in memory only; db.use("file.mk") keeps it
local people = st:table("people[name:S,born:I,town:S]")
local rows = {
  {"Ada", 1815, "London"}, {"Alan", 1912, "London"},
  {"Grace", 1906, "New York"}, {"Edsger", 1930, "Rotterdam"},
  {"Barbara", 1939, "Los Angeles"}, {"Niklaus", 1934, "Winterthur"},
}
for i, r in ipairs(rows) do
  people[i].name, people[i].born, people[i].town = r[1], r[2], r[3]
end

print("\r" .. people.size .. " people; by year of birth:\r")
local byyear = people:sort("born")
for i = 1, byyear.size do
  print(string.format("  %d  %s\r", byyear[i].born, byyear[i].name))
end
local london = people:select{town = "London"}
print("born in London: " .. london.size .. "\r")
print("Grace is row " .. people:find{name = "Grace"} .. "\r")

-- The sorted view in a window: one label a row.
db_example = table{name = "People by birth"}
for i = 1, byyear.size do
  db_example:ins(label{name = byyear[i].born .. "  " .. byyear[i].name ..
                              ", " .. byyear[i].town})
end
db_example:show(140, 560)
db_people = people             -- kept for the terminal: try db_people[1].name
