-- Saved with a byte-order mark: the calls are still checked.
local x = 1
tg_addpoint(x)
