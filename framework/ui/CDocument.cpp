#include "framework/ui/CDocument.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "framework/base/CFile.h"
#include "framework/base/UserServices.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CView.h"
#include "framework/ui/CWinApp.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

namespace {
CString KFileErrorText(const CFileException& e)
{
    switch (e.m_cause) {
    case CFileException::fileNotFound: return "Файл не найден.";
    case CFileException::badPath: return "Неверный путь к файлу.";
    case CFileException::accessDenied: return "Доступ к файлу запрещен.";
    case CFileException::diskFull: return "Диск переполнен.";
    case CFileException::endOfFile: return "Файл неожиданно закончился.";
    case CFileException::hardIO: return "Ошибка ввода-вывода.";
    case CFileException::none: return CString();
    default: return "Ошибка работы с файлом.";
    }
}
} // namespace

CDocument::CDocument()
{
    MapCommand(ID_FILE_SAVE, &CDocument::OnFileSave);
    MapCommand(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs);
    MapCommand(ID_FILE_CLOSE, &CDocument::OnFileClose);
}

CDocument::~CDocument()
{
    for (CView* v : m_views) v->m_pDocument = nullptr;
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::AddView(CView* pView)
{
    if (!pView || pView->m_pDocument == this) return;
    if (pView->m_pDocument) pView->m_pDocument->RemoveView(pView);
    m_views.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView)
{
    // A view is in the list once at most (AddView sees to it).
    if (std::erase(m_views, pView)) pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint)
{
    // A copy: a view may leave the document while it updates.
    const std::vector<CView*> views = m_views;
    for (CView* v : views) {
        if (v != pSender && std::find(m_views.begin(), m_views.end(), v) != m_views.end())
            v->OnUpdate(pSender, lHint, pHint);
    }
}

void CDocument::SetTitle(const CString& title)
{
    m_strTitle = title;
    std::set<CFrameWnd*> frames;
    for (CView* v : m_views)
        if (CFrameWnd* f = v->GetParentFrame()) frames.insert(f);
    for (CFrameWnd* f : frames) f->OnUpdateFrameTitle(TRUE);
}

void CDocument::SetPathName(const CString& pathAsGiven, bool bAddToMRU)
{
    const CString path = KFullPath(pathAsGiven);
    m_strPathName = path;
    const std::string p = path.GetString();
    const size_t slash = p.find_last_of('/');
    SetTitle(CString(slash == std::string::npos ? p : p.substr(slash + 1)));
    if (bAddToMRU)
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(path);
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName = CString();
    SetModifiedFlag(false);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char* lpszPathName)
{
    CFile file;
    CFileException fe;
    if (!file.Open(lpszPathName, CFile::modeRead, &fe)) {
        AfxMessageBox(CString("Не удалось открыть документ ") + lpszPathName + ".\n" + KFileErrorText(fe), MB_ICONEXCLAMATION);
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag(true); // a half-loaded document is not the file on disk
    try {
        CArchive ar(&file, CArchive::load);
        Serialize(ar);
        ar.Close();
    } catch (const CArchiveException&) {
        file.Close();
        DeleteContents();
        AfxMessageBox(CString("Неожиданный формат файла ") + lpszPathName + ".", MB_ICONEXCLAMATION);
        return FALSE;
    } catch (const CFileException& e) {
        file.Close();
        DeleteContents();
        AfxMessageBox(CString("Не удалось прочитать документ ") + lpszPathName + ".\n" + KFileErrorText(e),
                      MB_ICONEXCLAMATION);
        return FALSE;
    }
    file.Close();
    SetModifiedFlag(false);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const char* lpszPathName)
{
    // Written beside the target first, so a failed save leaves the old file whole.
    const CString temp = CString(lpszPathName) + ".tmp~";
    CFile file;
    CFileException fe;
    if (!file.Open(temp, CFile::modeCreate | CFile::modeWrite, &fe)) {
        AfxMessageBox(CString("Не удалось сохранить документ ") + lpszPathName + ".\n" + KFileErrorText(fe),
                      MB_ICONEXCLAMATION);
        return FALSE;
    }
    bool ok = true;
    CString why;
    try {
        CArchive ar(&file, CArchive::store);
        Serialize(ar);
        ar.Close();
    } catch (const CFileException& e) {
        ok = false;
        why = KFileErrorText(e);
    } catch (const CArchiveException&) {
        ok = false;
    }
    if (ok && !file.Flush()) ok = false;
    file.Close();
    if (ok && std::rename(temp.GetString(), lpszPathName) != 0) ok = false;
    if (!ok) {
        std::remove(temp.GetString());
        AfxMessageBox(CString("Не удалось сохранить документ ") + lpszPathName + "." + (why.IsEmpty() ? "" : "\n") + why,
                      MB_ICONEXCLAMATION);
        return FALSE;
    }
    SetModifiedFlag(false);
    return TRUE;
}

void CDocument::OnCloseDocument()
{
    // Every frame that shows this document goes, then the document.
    std::vector<CFrameWnd*> frames;
    for (CView* v : m_views) {
        CFrameWnd* f = v->GetParentFrame();
        if (f && std::find(frames.begin(), frames.end(), f) == frames.end()) frames.push_back(f);
    }
    const BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE; // not while the frames go
    for (CFrameWnd* f : frames) f->DestroyWindow();
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

BOOL CDocument::SaveModified()
{
    if (!IsModified()) return TRUE;
    CString name = m_strTitle;
    if (name.IsEmpty()) name = "Безымянный";
    const int answer = AfxMessageBox(CString("Сохранить изменения в документе ") + name + "?",
                                     MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL) return FALSE;
    if (answer == IDNO) return TRUE;
    return DoFileSave();
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrame)
{
    // Only the document's last frame asks.
    for (CView* v : m_views)
        if (v->GetParentFrame() != pFrame) return TRUE;
    return SaveModified();
}

BOOL CDocument::DoSave(const char* lpszPathName, BOOL bReplace)
{
    CString path(lpszPathName ? lpszPathName : "");
    if (path.IsEmpty()) {
        CWinApp* app = AfxGetApp();
        CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
        if (!app || !app->DoPromptFileName(name, "Сохранить как", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FALSE,
                                           m_pDocTemplate))
            return FALSE;
        path = name;
    }
    if (!OnSaveDocument(path)) return FALSE;
    if (bReplace) SetPathName(path);
    return TRUE;
}

BOOL CDocument::DoFileSave()
{
    return DoSave(m_strPathName.IsEmpty() ? nullptr : m_strPathName.GetString());
}

void CDocument::OnFileClose()
{
    if (!SaveModified()) return;
    OnCloseDocument();
}

CCmdTarget* CDocument::GetRouteNext() const
{
    return m_pDocTemplate;
}

