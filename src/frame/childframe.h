// The frame of one document window: always maximised, without system menu or window buttons.
#pragma once

#include <QMdiSubWindow>

class CScribaDoc;
class CScribaView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

public:
    CChildFrame(CScribaDoc *document, CScribaView *view, QWidget *parent = nullptr);
    ~CChildFrame() override;

    CScribaDoc *GetDocument() const { return m_document; }
    CScribaView *GetView() const { return m_view; }

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void ShowTitle();

    CScribaDoc *m_document;
    CScribaView *m_view;
};
