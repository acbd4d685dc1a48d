function setup(depth)
  tg_setdepth(depth)
  if depth > 10 then
    tg_setdepth(10, 20)

