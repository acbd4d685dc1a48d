-- Every kind of token once, lines ending in LF.
local count = 0
if count >= 10 and not done then
  print("count: " .. count, 'single')
elseif count ~= nil then
  tg_addpoint(1.5, -2e3)
else
  tn_add_knot(0.25E-1, 7d2)
end
while true do break end
repeat count = count + 1 until count > 3
for i, v in ipairs(list) do
  table.insert(result, {i, v})
end
local function square(x) return x * x end
t = {[1] = #list, ["k"] = x % 2, y = a // b ^ c}
s = a .. b; ok = (x <= y) or (x == y) -- trailing comment
unknown_function(tnaddknot, Tn_addknot)
