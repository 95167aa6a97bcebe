// CDocument: the model a program's views show. It knows its views and tells
// them what changed through update hints; it is created, opened, saved and
// closed through its document template, with the framework's save prompt.
#pragma once
#include <vector>

#include "framework/base/CArchive.h"
#include "framework/base/CObject.h"
#include "framework/ui/CCmdTarget.h"

class CView;
class CDocTemplate;
class CFrameWnd;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
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

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const CString& title);
    const CString& GetPathName() const { return m_strPathName; }
    // Also the title (the file's name) and, when asked, the recent-file list.
    virtual void SetPathName(const CString& path, bool bAddToMRU = true);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    // The life of a document, called by its template and the file commands.
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const char* lpszPathName);
    virtual BOOL OnSaveDocument(const char* lpszPathName);
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    // False when the user cancels: asks "save changes?" for a modified document.
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
    // Saves under a name, asking for one when lpszPathName is null; false on failure or cancel.
    virtual BOOL DoSave(const char* lpszPathName, BOOL bReplace = TRUE);
    BOOL DoFileSave();
    void OnFileSave() { DoFileSave(); }
    void OnFileSaveAs() { DoSave(nullptr); }
    void OnFileClose();

    BOOL m_bAutoDelete = TRUE;

protected:
    // Commands go to the document, then to its template.
    CCmdTarget* GetRouteNext() const override;

private:
    friend class CDocTemplate;
    std::vector<CView*> m_views;
    bool m_bModified = false;
    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
};
