#include "framework/ui/CDocTemplate.h"

#include <algorithm>

#include "framework/base/StringTable.h"
#include "framework/base/UserServices.h"
#include "framework/ui/CDocument.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CView.h"
#include "framework/ui/CWinApp.h"

CDocTemplate::CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                           const CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass)
{
    AfxLoadString(nIDResource, m_strDocStrings);
}

CDocTemplate::~CDocTemplate()
{
    // Documents still open are the program's to close; they forget their template.
    for (CDocument* d : m_docs) d->m_pDocTemplate = nullptr;
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const
{
    rString = AfxExtractSubString(m_strDocStrings, int(index));
    return TRUE;
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(const char* lpszPathName, CDocument*& rpDocMatch)
{
    rpDocMatch = nullptr;
    for (CDocument* d : m_docs) {
        if (d->GetPathName() == lpszPathName) {
            rpDocMatch = d;
            return yesAlreadyOpen;
        }
    }
    CString ext;
    GetDocString(ext, filterExt);
    const std::string p = lpszPathName ? lpszPathName : "";
    const std::string e = ext.GetString();
    if (!e.empty() && p.size() >= e.size()) {
        std::string tail = p.substr(p.size() - e.size());
        std::transform(tail.begin(), tail.end(), tail.begin(), ::tolower);
        std::string le = e;
        std::transform(le.begin(), le.end(), le.begin(), ::tolower);
        if (tail == le) return yesAttemptNative;
    }
    return yesAttemptForeign;
}

CDocument* CDocTemplate::CreateNewDocument()
{
    CObject* obj = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
    auto* doc = dynamic_cast<CDocument*>(obj);
    if (!doc) {
        delete obj;
        return nullptr;
    }
    AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther)
{
    CCreateContext context;
    context.m_pCurrentFrame = pOther;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    CObject* obj = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
    auto* frame = dynamic_cast<CFrameWnd*>(obj);
    if (!frame) {
        delete obj;
        return nullptr;
    }
    CWinApp* app = AfxGetApp();
    CWnd* parent = app ? app->m_pMainWnd : nullptr;
    if (parent == frame) parent = nullptr;
    if (!frame->LoadFrame(m_nIDResource, DWORD(WS_OVERLAPPEDWINDOW) | DWORD(FWS_ADDTOTITLE), parent, &context)) {
        delete frame;
        return nullptr;
    }
    // From now on the frame goes with its window.
    frame->m_bAutoDelete = true;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible)
{
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

void CDocTemplate::AddDocument(CDocument* pDoc)
{
    if (std::find(m_docs.begin(), m_docs.end(), pDoc) != m_docs.end()) return;
    m_docs.push_back(pDoc);
    pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc)
{
    // A document is in the list once at most (AddDocument sees to it).
    if (std::erase(m_docs, pDoc)) pDoc->m_pDocTemplate = nullptr;
}

BOOL CDocTemplate::SaveAllModified()
{
    const std::vector<CDocument*> docs = m_docs;
    for (CDocument* d : docs)
        if (!d->SaveModified()) return FALSE;
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL)
{
    while (!m_docs.empty()) {
        CDocument* d = m_docs.back();
        const size_t before = m_docs.size();
        d->OnCloseDocument();
        if (m_docs.size() == before) RemoveDocument(d); // a document that keeps itself alive
    }
}

// ---- one document at a time ----

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* lpszPathName, BOOL bMakeVisible)
{
    CDocument* doc = nullptr;
    CFrameWnd* frame = nullptr;
    bool created = false;
    if (!m_docs.empty()) {
        doc = m_docs.front();
        if (!doc->SaveModified()) return nullptr;
        for (CView* v : doc->GetViews())
            if ((frame = v->GetParentFrame())) break;
    } else {
        doc = CreateNewDocument();
        if (!doc) {
            AfxMessageBox("Не удалось создать пустой документ.", MB_ICONEXCLAMATION);
            return nullptr;
        }
        created = true;
    }
    if (!frame) {
        frame = CreateNewFrame(doc, nullptr);
        if (!frame) {
            AfxMessageBox("Не удалось создать окно документа.", MB_ICONEXCLAMATION);
            if (created) delete doc;
            return nullptr;
        }
        if (CWinApp* app = AfxGetApp(); app && !app->m_pMainWnd) app->m_pMainWnd = frame;
    }
    if (!lpszPathName) {
        SetDefaultTitle(doc);
        if (!doc->OnNewDocument()) {
            // A document made for this fails with its frame: both go, and
            // the template is left empty.
            if (created) {
                frame->DestroyWindow();
                delete doc;
            }
            return nullptr;
        }
    } else {
        if (!doc->OnOpenDocument(lpszPathName)) {
            // The document stays usable: an empty one replaces what failed to load.
            if (created) {
                frame->DestroyWindow();
                delete doc;
                return nullptr;
            }
            SetDefaultTitle(doc);
            doc->OnNewDocument();
            InitialUpdateFrame(frame, doc, bMakeVisible);
            return nullptr;
        }
        doc->SetPathName(lpszPathName);
    }
    InitialUpdateFrame(frame, doc, bMakeVisible);
    return doc;
}

namespace {
// What a new document is called: the template's document name, or a plain
// "untitled" when the resource string has none.
CString UntitledName(const CDocTemplate& t)
{
    CString name;
    t.GetDocString(name, CDocTemplate::docName);
    return name.IsEmpty() ? CString("Безымянный") : name;
}
} // namespace

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    pDocument->SetTitle(UntitledName(*this));
}

// ---- a frame per document ----

CDocument* CMultiDocTemplate::OpenDocumentFile(const char* lpszPathName, BOOL bMakeVisible)
{
    CDocument* doc = CreateNewDocument();
    if (!doc) {
        AfxMessageBox("Не удалось создать пустой документ.", MB_ICONEXCLAMATION);
        return nullptr;
    }
    const BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE; // a failed frame must not take the document with it
    CFrameWnd* frame = CreateNewFrame(doc, nullptr);
    doc->m_bAutoDelete = autoDelete;
    if (!frame) {
        AfxMessageBox("Не удалось создать окно документа.", MB_ICONEXCLAMATION);
        delete doc;
        return nullptr;
    }
    if (!lpszPathName) {
        SetDefaultTitle(doc);
        if (!doc->OnNewDocument()) {
            doc->OnCloseDocument();
            return nullptr;
        }
        ++m_nUntitledCount;
    } else {
        if (!doc->OnOpenDocument(lpszPathName)) {
            doc->OnCloseDocument();
            return nullptr;
        }
        doc->SetPathName(lpszPathName);
    }
    InitialUpdateFrame(frame, doc, bMakeVisible);
    return doc;
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    CString title;
    title.Format("%s%u", UntitledName(*this).GetString(), m_nUntitledCount + 1);
    pDocument->SetTitle(title);
}
