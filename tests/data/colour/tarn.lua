-- Pumping test beside the river: steady state, then a month of pumping.
-- Units: metres and days.

local wells = {
  {250, 300, -1200},  -- x, y, rate in m3/day (negative: extraction)
  {700, 280, -800},
}

function layer_conductivity(depth)
  if depth < 12.5 then
    return 2.5e-4
  elseif depth < 40 then
    return 8.0E-6
  end
  return 1d-8
end

for i, well in ipairs(wells) do
  tg_addpoint(well[1], well[2])
  tn_addknot(i, well[3] / 86400)
  showmessage("Well " .. i .. ' added')
end

print(string.format("%d wells", #wells))
