--[[ a long comment: only this line is a comment
local hidden = 1
]]
s = "a -- not a comment"
u = "unterminated string -- still string
v = 'apostrophe with "double" inside'
w = "backslash \" ends here" .. x
n = 0x1F + 3.14e-2 + 2e + 1..2 + 5E+ + 1.e5
a.b = x2 + _ + _G + End + END + endx + _end
café = "café" -- café
	indent	= 1	-- tabs
---
-
x = y-1 - -2
