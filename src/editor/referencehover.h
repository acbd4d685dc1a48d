// Resting the pointer on a Tarn function's name in the text shows what the reference says of
// it: signature, description, parameters and return values. A check mark under the pointer
// has its own tooltip and wins.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class CScribaView;
struct Settings;

class CReferenceHover : public QObject {
    Q_OBJECT

public:
    // describeOther: Markdown for a name at a position that is not one of Tarn's functions.
    CReferenceHover(CScribaView &view, const Settings &settings, std::function<QString(qint64)> describeOther = {});

    // The rich text for the name at position, or "" when no function of the table is there.
    QString TextAt(qint64 position) const;
    // The Scintilla dwell event's handling: shows the text beside the pointer.
    void ShowAt(qint64 position, int x, int y);

private:
    CScribaView &m_view;
    const Settings &m_settings;
    std::function<QString(qint64)> m_describeOther;
};
