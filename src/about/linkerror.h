// Result codes of opening a hyperlink and the message each failure shows. Codes above 32 mean
// the link was opened; the failure codes are the ones the user's message names.
#pragma once

#include <QString>

enum LinkOpenCode : int {
    kLinkStartFailed = 1,     // the program exists and may run, yet could not be started
    kLinkFileNotFound = 2,    // the program to start does not exist
    kLinkAccessDenied = 5,    // the program may not be run
    kLinkNoAssociation = 31,  // nothing on the desktop opens web pages
    kLinkOpened = 33,
};

inline bool LinkOpened(int code)
{
    return code > 32;
}

// The whole message for a failed open, "Unable to open hyperlink:" first.
QString LinkErrorMessage(int code);
