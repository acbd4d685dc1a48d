-- Unknown names with a prefix of the table are reported, with the closest name when near.
tg_addcirle(0, 0, 5)
tg_addpiont(1, 2)
tg_frobnicate()
tm_setmaterial("sand")
-- Names without such a prefix are reported too, when nothing defines them.
helper(1, 2, 3)
xx_addpoint(1)
print("value", 1, 2)

-- The script's own functions are never unknown, wherever they are defined.
local function tg_localhelper(a) return a end
function tg_globalhelper() end
tg_assigned = function(x) return x end
local tg_localassigned = function() end
tg_localhelper(1)
tg_globalhelper(1, 2)
tg_assigned()
tg_localassigned(1)
tg_laterhelper(1)
function tg_laterhelper() end
-- Defining a table function overrides its parameters.
function tg_addpoint(x) end
tg_addpoint(1)
-- Unclosed at the end: still unknown.
tg_misspelt(1,
