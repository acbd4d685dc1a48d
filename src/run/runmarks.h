// The lines a run's error messages named, marked in a script's view like a check's error with
// the message as tooltip, until the text is edited or the script is run again.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QsciScintilla;

class CRunMarks : public QObject {
    Q_OBJECT

public:
    // The view's marks, made on first use.
    static CRunMarks *Of(QsciScintilla *view);

    // Marks line (from 1) with message; a second message for one line joins the first.
    void Mark(int line, const QString &message);
    void Clear();
    int Count() const { return int(m_messages.size()); }
    // The message of a marked line (from 1), or "".
    QString MessageOfLine(int line) const { return m_messages.value(line); }

private:
    explicit CRunMarks(QsciScintilla *view);
    void ShowTip(int x, int y);

    QsciScintilla *m_view;
    int m_indicator;
    QHash<int, QString> m_messages; // by line
};
