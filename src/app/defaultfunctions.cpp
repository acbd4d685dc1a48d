#include "defaulttexts.h"

// Placeholder: the full Tarn function table is being written.
std::string_view DefaultFunctionsText()
{
    return "";
}
