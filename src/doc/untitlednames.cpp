#include "untitlednames.h"

bool KeepsScriptTitle(std::string_view title)
{
    return title.ends_with(".lua");
}

std::string NextUntitledTitle(int &counter)
{
    std::string title = counter == 0 ? std::string("untitled.lua")
                                     : "untitled[" + std::to_string(counter) + "].lua";
    ++counter;
    return title;
}

std::string ScriptTitle(std::string_view proposed, int &counter)
{
    return KeepsScriptTitle(proposed) ? std::string(proposed) : NextUntitledTitle(counter);
}
