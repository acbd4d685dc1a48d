// The desktop's ways of opening a web address, behind one small interface so that tests can
// make each step succeed or fail.
#pragma once

#include <QString>
#include <QStringList>

class QUrl;

class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    // True when the desktop's own handler took the address.
    virtual bool OpenUrl(const QUrl &url);
    // The Exec line of the program registered for web pages (text/html); empty when there is none.
    virtual QString HtmlHandlerExec();
    // Starts arguments[0] with the rest of the list, detached and without a shell. Returns
    // kLinkOpened, kLinkFileNotFound, kLinkAccessDenied or kLinkStartFailed.
    virtual int StartDetached(const QStringList &arguments);
};
