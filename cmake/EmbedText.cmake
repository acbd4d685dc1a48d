# Writes OUTPUT, a C++ source whose function NAME returns the bytes of INPUT: built-in texts
# kept as files of their own stay readable and editable as such.
file(READ ${INPUT} content)
string(FIND "${content}" ")embedded\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the closing mark of the embedding string")
endif()
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; edit that file instead.\n#include <string_view>\n\nstd::string_view ${NAME}()\n{\n    return R\"embedded(${content})embedded\";\n}\n")
