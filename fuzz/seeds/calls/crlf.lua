tg_addpoint(1)
showmessage("été", tg_clearall(1))
x = 1 +
