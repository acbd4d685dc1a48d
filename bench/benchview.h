// An editor view for the benchmarks: the default tables and styles, and a view holding a text,
// coloured, as after opening a file.
#pragma once

#include "benchscripts.h"

#include "app/defaulttexts.h"
#include "app/settings.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"

#include <QCoreApplication>

#include <string>

namespace benchscripts {

inline void InstallDefaultSettings()
{
    Settings &settings = Settings::Global();
    settings.SetDefaultStyles();
    settings.keywords = ParsedTable(DefaultKeywordsText());
    settings.functions = ParsedTable(DefaultFunctionsText());
}

struct LoadedView {
    CScribaDoc document;
    CScribaView view{&document};

    explicit LoadedView(const std::string &text)
    {
        document.SetView(&view);
        view.BeginLoad(qint64(text.size()));
        view.AppendBytes(text.data(), qint64(text.size()));
        view.EndLoad();
        view.OnInitialUpdate();
        view.resize(800, 600);
        view.show();
        QCoreApplication::processEvents();
    }
};

} // namespace benchscripts
