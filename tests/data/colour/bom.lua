local x = 1 -- a script saved with a byte-order mark, as some editors on other systems do
if x then print(x) end
