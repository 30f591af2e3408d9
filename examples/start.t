-- start.t: run by Trelk at start-up from the current folder.
print("Welcome to Trelk! Type a Lua line after the prompt and press Enter.")

function atstart()
  print("\rTry: print(math.pi)   or   for i = 1, 3 do print(i) end")
end

function atexit()
  -- runs when Trelk ends through "Exit Trelk" or exit()
end
