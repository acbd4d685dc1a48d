// Keeps a recovery copy of one document's unsaved text: a few seconds after the last change,
// and at least every 30 seconds while changes go on. The copy goes when the document is saved,
// emptied, undone back to its file, or closed.
#pragma once

#include "editor/slicedtextcopy.h"

#include <QObject>
#include <QTimer>

class CScribaDoc;
class RecoveryStore;

class CRecoveryCopy : public QObject {
    Q_OBJECT

public:
    static constexpr int kQuietDelayMs = 2000;
    static constexpr int kLongestDelayMs = 30000;

    CRecoveryCopy(CScribaDoc *document, RecoveryStore *store);

    // Writes the copy now (for a modified document) or removes it.
    void Update();
    // The same after a copy of the text taken between keystrokes, as the timers do it.
    void UpdateBetweenKeys();
    bool IsCopying() const { return m_copy.IsCopying(); }
    // Removes the copy and stops keeping one: the document is closing.
    void Detach();

private:
    void Schedule();
    void Discard();
    void Store(const QByteArray &text);

    CScribaDoc *m_document;
    RecoveryStore *m_store;
    int m_slot;
    bool m_stored = false;
    QTimer m_quiet;   // restarted by every change
    QTimer m_longest; // started by the first change after a copy
    CSlicedTextCopy m_copy;
};
