-- Every kind of block, nested
local function outer(a, b)
  if a then
    for i = 1, 10 do
      while b do
        b = false
      end
    end
  elseif b then
    repeat
      a = a - 1
    until a == 0
  else
    do local x = 1 end
  end
end

local t = {
  name = "x",
  list = { 1, 2,
    3 },
}
print(
  t.name,
  outer(1, 2)
)
x = f(function ()
  return 1
end) g(function ()
  return 2
end)
end end end
y = 1
