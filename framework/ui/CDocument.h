// CDocument: the model a program's views show. It knows its views and tells
// them what changed through update hints.
#pragma once
#include <vector>

#include "framework/base/CObject.h"
#include "framework/ui/CCmdTarget.h"

class CView;

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    // A view belongs to one document at a time.
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    const std::vector<CView*>& GetViews() const { return m_views; }

    // OnUpdate of every view but the sender.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

    void SetModifiedFlag(bool bModified = true) { m_bModified = bModified; }
    bool IsModified() const { return m_bModified; }

private:
    std::vector<CView*> m_views;
    bool m_bModified = false;
};
