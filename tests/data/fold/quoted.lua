-- Words and brackets in strings and comments do not count
s = "function if do ( {"
s = 'end } ) until'
s = "escaped \" quote ( " .. 'and \' this {'
-- function if do ( {
--[[ a long comment
function if do ( {
]] x = 1
--[==[ levels must match
]] still inside ]=]
]==]
long = [[
end end end
]]
one = [[ on one line ]] if y then
  z = "unclosed (
end
text = [=[
[[ nested ]] ]]
]=]
ifx = 1; doit(); endless = 2; functions = 3
t.done = 1
