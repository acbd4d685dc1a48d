#include "warningswitches.h"

#include "check/scriptcheck.h"
#include "check/warningcodes.h"

#include <QSettings>
#include <QStringList>

namespace {

const QString kDisabledKey = QStringLiteral("Check/DisabledWarnings");

} // namespace

std::vector<int> LoadDisabledWarnings(const QSettings &store)
{
    if (!store.contains(kDisabledKey))
        return CheckOptions::DefaultDisabledCodes();
    std::vector<int> codes;
    // Codes this version does not know are dropped: a later one may have numbered others.
    for (const QString &text : store.value(kDisabledKey).toString().split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (const int code = CodeFromText(text.trimmed().toStdString()); FindWarningClass(code))
            codes.push_back(code);
    return codes;
}

void SaveDisabledWarnings(QSettings &store, const std::vector<int> &disabled)
{
    QStringList texts;
    for (int code : disabled)
        texts.append(QString::fromStdString(CodeText(code)));
    // An empty list is written too: "none switched off" differs from "never told".
    store.setValue(kDisabledKey, texts.join(QLatin1Char(',')));
}
