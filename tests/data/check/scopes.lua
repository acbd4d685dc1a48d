-- A name is a Tarn call only where no local variable of that name is in scope.
tg_addpoint(1)
local tg_addpoint = print
tg_addpoint(1)

function grid(tg_addcircle)
  tg_addcircle(1)
end
tg_addcircle(1)

for tg_clearall = 1, 3 do tg_clearall(1) end
tg_clearall(1)

-- A local function hides the table's only after its statement, and inside its own body.
tg_removeduplicates(1, 2)
local function tg_removeduplicates(a, b)
  return tg_removeduplicates(a, b)
end
tg_removeduplicates(1, 2)

-- A table field is not a definition.
local t = { tg_addarc = function() end }
tg_addarc(1)
