// A document host for benchmarks that make views without the application: it opens nothing and
// asks nothing (a prompt would stop a benchmark).
#pragma once

#include "app/prompter.h"
#include "app/settings.h"
#include "doc/documenthost.h"
#include "reference/tarnreference.h"

#include <QPageLayout>
#include <QSettings>

class BenchHost final : public DocumentHost {
public:
    static BenchHost &Get()
    {
        static BenchHost host;
        return host;
    }

    Prompter &GetPrompter() override { return m_prompter; }
    const QList<CScribaDoc *> &Documents() const override { return m_documents; }
    CScribaDoc *OpenDocumentFile(const QString &) override { return nullptr; }
    CScribaDoc *FindDocumentOfFile(const QString &, const CScribaDoc *) const override { return nullptr; }
    void CloseDocument(CScribaDoc *) override {}
    bool SaveAllModified() override { return true; }
    QString DialogFolder() const override { return QString(); }
    void RememberFolder(const QString &) override {}
    void AddToRecentFileList(const QString &) override {}
    std::unique_ptr<QSettings> OpenProfile() const override { return std::make_unique<QSettings>(); }
    const QPageLayout &PageLayout() const override { return m_layout; }
    const std::shared_ptr<const TarnReference> &Reference() const override { return m_reference; }

private:
    class Silent final : public Prompter {
    public:
        QMessageBox::StandardButton Ask(QWidget *, const Prompt &) override { return QMessageBox::Cancel; }
    };
    Silent m_prompter;
    QList<CScribaDoc *> m_documents;
    QPageLayout m_layout;
    std::shared_ptr<const TarnReference> m_reference = SharedBuiltInReference();
};
