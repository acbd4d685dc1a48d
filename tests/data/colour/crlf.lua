-- The same rules with CR LF line ends: comments and strings stop at the CR.
local name = "well 1"
local open = "not closed
x = 1 -- comment right before CR LF
showmessage('done' .. name)

return x
