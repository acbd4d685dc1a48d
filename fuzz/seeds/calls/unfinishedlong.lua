tg_addpoint(1)
--[==[ a long comment
that never ends ]=]
tg_addpoint(1)
