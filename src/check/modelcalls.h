// The calls of plain names and the named functions, as the Tarn call checks read them, taken
// from the script model instead of a scan of their own.
#pragma once

#include "check/callscanner.h"
#include "model/scriptmodel.h"

CallScan CallsOfModel(std::string_view text, const luamodel::Model &model);
