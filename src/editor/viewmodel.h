// The script model of one editor view, kept up to date behind the user's back: built on a
// worker thread over a copy of the text a short pause after typing stops, and kept with the
// edits made since, so completion, the tip, the highlights and the navigation read the last
// model at the right places without parsing the whole script on a key.
#pragma once

#include "editor/editshift.h"
#include "model/scriptmodel.h"

#include <QByteArray>
#include <QFutureWatcher>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QTimer;
class QsciScintilla;

// A model with the copy of the text it was built from, which its names point into.
struct ScriptSnapshot {
    QByteArray text;
    luamodel::Model model;

    std::string_view Text() const { return std::string_view(text.constData(), std::size_t(text.size())); }
};

class CViewModel : public QObject {
    Q_OBJECT

public:
    using Model = std::shared_ptr<const ScriptSnapshot>;
    // How long typing must pause before the model is built again.
    static constexpr int kPauseMs = 300;
    // Beyond this many edits since the last model it is built again before it is read.
    static constexpr std::size_t kMostEdits = 4096;
    // Bytes of the text copied for the worker in one turn of the event loop.
    static constexpr qint64 kCopySlice = 256 << 10;

    // textVersion: counts the text's changes, a load (which Scintilla does not announce) included.
    CViewModel(QsciScintilla *view, std::function<std::uint64_t()> textVersion);
    ~CViewModel() override;

    // The last model built, or null before the first; Shift() carries its positions to the
    // text as it is now.
    const Model &Last() const { return m_model; }
    const EditShift &Shift() const { return m_shift; }
    // True when the last model was built from the text as it is now.
    bool IsCurrent() const { return IsUsable() && m_shift.Count() == 0; }
    // True when the last model can be read with Shift(): no load since, not too many edits.
    bool IsUsable() const { return m_model && m_shift.Count() <= kMostEdits && AllAnnouncedSince(m_modelCopy); }
    // Runs work with a model of the text as it is now: at once when the last one is, else as
    // soon as one is built (at once, without the pause). Work waiting is dropped when the text
    // changes before the model is there.
    void WhenCurrent(std::function<void(const ScriptSnapshot &)> work);
    // Builds a model of the text now, without waiting for the pause.
    void BuildNow();
    bool IsBuilding() const { return m_building; }

signals:
    // A new model is there.
    void modelChanged();

private:
    void OnModified(int position, int type, int length);
    void Build();
    void CopySome();
    void OnBuilt();
    // Where the text stood when a copy was taken: its version, and the changes announced to
    // this model by then.
    struct CopyPoint {
        std::uint64_t version = 0;
        std::uint64_t announced = 0;
    };
    CopyPoint Now() const { return {m_textVersion(), m_announced}; }
    // True when every change of the text since the copy was announced (no load came between),
    // so the edits recorded since lead from the copy to the text now.
    bool AllAnnouncedSince(const CopyPoint &copy) const
    {
        return m_textVersion() - copy.version == m_announced - copy.announced;
    }

    QsciScintilla *m_view;
    QTimer *m_pause;
    QTimer *m_copying; // copies the text for the worker a slice at a time
    QByteArray m_copy;
    qint64 m_copied = 0;
    QFutureWatcher<Model> m_watcher;
    Model m_model;
    EditShift m_shift;               // the edits since the copy m_model was built from
    EditShift m_shiftWhileBuilding;  // the edits since the copy being built from
    std::function<std::uint64_t()> m_textVersion;
    std::uint64_t m_announced = 0;   // changes announced to this model
    CopyPoint m_modelCopy;           // of the copy m_model was built from
    CopyPoint m_buildingCopy;        // of the copy being built from
    bool m_building = false;
    bool m_again = false;
    std::vector<std::function<void(const ScriptSnapshot &)>> m_waiting;
};
