// The About box: the program's name and version, a notice, and five acknowledgement links to
// the components the program is built on.
#pragma once

#include <QDialog>

#include <array>

class CLinkLabel;
class LinkOpener;
class Prompter;

class CAboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kLinkCount = 5;

    CAboutBox(LinkOpener &opener, Prompter &prompter, QWidget *parent = nullptr);

    // From the top row down.
    const std::array<CLinkLabel *, kLinkCount> &Links() const { return m_links; }

private:
    std::array<CLinkLabel *, kLinkCount> m_links{};
};
