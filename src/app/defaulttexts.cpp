#include "defaulttexts.h"

std::string_view DefaultHeaderText()
{
    return "-- This is the INI file for use with Scriba. Please keep it in the same\r\n"
           "-- directory as the Scriba executable (Scriba.exe).\r\n"
           "--\r\n"
           "-- Single line comments can be added to this header the same as Lua.\r\n"
           "--\r\n"
           "-- If this file doesn't exist, then Scriba will create it automatically\r\n"
           "-- next time it is run.\r\n"
           "--\r\n"
           "-- Do not alter this file whilst Scriba is running as all changes will\r\n"
           "-- be overwritten when it is closed down.\r\n"
           "--\r\n"
           "-- Comments below this line will be appended to this header when Scriba closes.\r\n";
}

std::string_view DefaultKeywordsText()
{
    return "and\r\n"
           "break\r\n"
           "do indent\r\n"
           "else indent outdent\r\n"
           "elseif indent outdent\r\n"
           "end outdent\r\n"
           "false\r\n"
           "for indent\r\n"
           "function indent\r\n"
           "if indent\r\n"
           "in\r\n"
           "local\r\n"
           "nil\r\n"
           "not\r\n"
           "or\r\n"
           "repeat indent\r\n"
           "return\r\n"
           "then\r\n"
           "true\r\n"
           "until outdent\r\n"
           "while indent\r\n";
}
