showmessage("Layer
tg_addpoint(1, 2)
