#include "runcommand.h"

#include <QFileInfo>
#include <QObject>

namespace {

class CommandSplitter {
public:
    CommandSplitter(const QString &command, const QString &scriptPath) : m_command(command)
    {
        const QFileInfo script(scriptPath);
        m_path = script.absoluteFilePath();
        m_folder = script.absolutePath();
        m_name = script.fileName();
    }

    QStringList Split(QString *error)
    {
        for (m_at = 0; m_at < m_command.size() && m_error.isEmpty(); ++m_at) {
            const QChar c = m_command[m_at];
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'))
                EndWord();
            else if (c == QLatin1Char('\''))
                SingleQuoted();
            else if (c == QLatin1Char('"'))
                DoubleQuoted();
            else if (c == QLatin1Char('\\'))
                Escaped();
            else
                Take(c);
        }
        EndWord();
        if (m_error.isEmpty() && m_words.isEmpty())
            m_error = QObject::tr("the command is empty");
        if (!m_error.isEmpty())
            m_words.clear();
        if (error)
            *error = m_error;
        return m_words;
    }

private:
    // The character at m_at joins the word; a placeholder adds what it stands for.
    void Take(QChar c)
    {
        m_inWord = true;
        if (c != QLatin1Char('%') || m_at + 1 >= m_command.size()) {
            m_word += c;
            return;
        }
        switch (m_command[m_at + 1].unicode()) {
        case 'f': TakeName(m_path); break;
        case 'd': TakeName(m_folder); break;
        case 'n': TakeName(m_name); break;
        case '%': m_word += QLatin1Char('%'); break;
        default: m_word += c; return;
        }
        ++m_at;
    }

    // A file name that would start a word with '-' is given as ./-name, so that the program
    // never takes the script's name for one of its options.
    void TakeName(const QString &name)
    {
        if (m_word.isEmpty() && name.startsWith(QLatin1Char('-')))
            m_word += QLatin1String("./");
        m_word += name;
    }

    void SingleQuoted()
    {
        m_inWord = true;
        const qsizetype close = m_command.indexOf(QLatin1Char('\''), m_at + 1);
        if (close < 0) {
            m_error = QObject::tr("a quote ' is not closed");
            return;
        }
        for (++m_at; m_at < close; ++m_at)
            Take(m_command[m_at]);
    }

    void DoubleQuoted()
    {
        m_inWord = true;
        for (++m_at; m_at < m_command.size(); ++m_at) {
            const QChar c = m_command[m_at];
            if (c == QLatin1Char('"'))
                return;
            if (c == QLatin1Char('\\') && m_at + 1 < m_command.size()
                && QStringLiteral("$`\"\\\n").contains(m_command[m_at + 1])) {
                ++m_at;
                if (m_command[m_at] != QLatin1Char('\n'))
                    m_word += m_command[m_at];
                continue;
            }
            Take(c);
        }
        m_error = QObject::tr("a quote \" is not closed");
    }

    void Escaped()
    {
        if (m_at + 1 >= m_command.size()) {
            m_error = QObject::tr("the command ends in a backslash");
            return;
        }
        ++m_at;
        if (m_command[m_at] == QLatin1Char('\n')) // a continued line
            return;
        m_inWord = true;
        m_word += m_command[m_at];
    }

    void EndWord()
    {
        if (m_inWord)
            m_words.append(m_word);
        m_word.clear();
        m_inWord = false;
    }

    const QString &m_command;
    QString m_path;
    QString m_folder;
    QString m_name;
    qsizetype m_at = 0;
    QString m_word;
    bool m_inWord = false; // "" is a word, empty as it is
    QStringList m_words;
    QString m_error;
};

} // namespace

QStringList SplitRunCommand(const QString &command, const QString &scriptPath, QString *error)
{
    return CommandSplitter(command, scriptPath).Split(error);
}
