function crlf()
  return {
  }
end
function cr()  x = [[  ]]end