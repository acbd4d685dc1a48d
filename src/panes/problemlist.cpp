#include "problemlist.h"

#include "app/prompter.h"
#include "doc/documenthost.h"
#include "app/settings.h"
#include "check/checkmarks.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "panes/problemhover.h"
#include "panes/problemrows.h"
#include "panes/resultlist.h"
#include "panes/resultspane.h"

#include <QTimer>

#include <algorithm>

CProblemList::CProblemList(DocumentHost &host, const Settings &settings, CResultsPane &pane, QObject *parent)
    : QObject(parent), m_host(host), m_pane(pane), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, &CProblemList::Rebuild);
    connect(&host, &DocumentHost::documentsChanged, this, &CProblemList::WatchDocuments);
    new CProblemHover(*pane.List(CResultsPane::ProblemsTab), settings.functions, host.Reference(), this);
    WatchDocuments();
}

void CProblemList::WatchDocuments()
{
    for (CScribaDoc *document : m_host.Documents()) {
        connect(document->GetView()->Checks(), &CheckMarks::marksChanged, this, &CProblemList::Schedule,
                Qt::UniqueConnection);
        connect(document, &CScribaDoc::titleChanged, this, &CProblemList::Schedule, Qt::UniqueConnection);
    }
    Schedule(); // a script may have closed
}

void CProblemList::Schedule()
{
    if (!m_settle->isActive())
        m_settle->start();
}

void CProblemList::Rebuild()
{
    m_settle->stop();
    QList<CScribaDoc *> documents = m_host.Documents();
    std::sort(documents.begin(), documents.end(), [](const CScribaDoc *a, const CScribaDoc *b) {
        return a->GetPathName() < b->GetPathName();
    });
    std::vector<ProblemRows::Script> scripts;
    for (CScribaDoc *document : documents)
        scripts.push_back({document, document->HasFileOnDisk() ? document->GetPathName() : QString(),
                           document->GetTitle().toStdString(), document->GetView()->Checks()->Problems()});
    auto rows = std::make_unique<ProblemRows>(std::move(scripts));
    const int count = rows->Count();
    ResultModel *model = m_pane.Model(CResultsPane::ProblemsTab);
    CResultList *list = m_pane.List(CResultsPane::ProblemsTab);
    const int current = list->CurrentRow();
    model->ShowRows(std::move(rows));
    if (current >= 0 && count > 0)
        list->setCurrentIndex(model->index(std::min(current, count - 1), 0));
    m_pane.SetProblemCount(count);
}
