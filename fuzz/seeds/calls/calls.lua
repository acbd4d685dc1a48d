-- Argument counts against the table: right, too few, too many, optional parameters.
tg_addpoint(0, 0)
tg_addpoint(0)
tg_addpoint(0, 0, 0)
tg_addcircle(0, 0, 5)
tg_addcircle(0, 0, 5, 10)
tg_addarc(0, 0, 1, 1, 90, 5, 6)
tg_clearall()
tg_clearall(1)
tg_removeduplicates()
tg_removeduplicates(0.1, 2)

-- Commas inside strings, comments, tables and nested calls do not count.
showmessage("a, b, c")
showmessage('it\'s, here')
showmessage("escaped \", still one")
showmessage([[long, string]], [==[ with ]] inside, ]==])
tg_addpoint(--[[ a, comment ]] 1, 2)
tg_addpoint({1, 2, 3}, {x = 1, y = 2})
tg_addpoint(math.max(1, 2, 3), 4)
tg_addpoint(tg_getpoint(1, 2), 3)

-- Calls that span lines.
tg_addrectangle(0, 0,
                100, -- the width
                50)
tg_addsegment(
  0,
  0
)

-- Functions in arguments: their bodies' commas are their own.
tg_addpoint(function(a, b) local c, d = a, b return c end, 2)
tg_addpoint(function() if x then y(1, 2) end end)

-- A last argument that is a call or "..." may stand for several values.
tg_addarc(unpack(points))
tg_addpoint(1, 2, unpack(more))
function wrapper(...) tg_addpoint(...) end

-- Calls without brackets, and calls not of table functions.
showmessage "done, really"
tg_addpoint { 1, 2 }
obj.tg_addpoint(1)
obj:tg_clearall(1)
local t = { tg_addpoint = 1 }
tg_add_point(1)
