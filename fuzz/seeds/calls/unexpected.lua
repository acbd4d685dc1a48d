tg_addpoint(1, 2)
local depth = = 3
tg_addpoint(1)
