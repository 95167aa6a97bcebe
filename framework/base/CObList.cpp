#include "framework/base/CObList.h"

#include <climits>
#include <unordered_set>

#include "framework/base/CArchive.h"

IMPLEMENT_DYNAMIC(CObList, CObject)

struct CObList::CNode {
    CNode* pNext;
    CNode* pPrev;
    CObject* data;
};

CObList::CNode* CObList::Node(POSITION p) { return reinterpret_cast<CNode*>(p); }
POSITION CObList::Position(CNode* p) { return reinterpret_cast<POSITION>(p); }

CObList::CObList(int) {}

CObList::~CObList() { RemoveAll(); }

CObject*& CObList::GetHead() { return m_pNodeHead->data; }
CObject*& CObList::GetTail() { return m_pNodeTail->data; }

// A new node goes in between its pPrev and pNext; a missing neighbour is
// the list's end (the mirror of RemoveAt).
POSITION CObList::Link(CNode* p)
{
    (p->pPrev ? p->pPrev->pNext : m_pNodeHead) = p;
    (p->pNext ? p->pNext->pPrev : m_pNodeTail) = p;
    ++m_nCount;
    return Position(p);
}

POSITION CObList::AddHead(CObject* newElement) { return Link(new CNode{m_pNodeHead, nullptr, newElement}); }
POSITION CObList::AddTail(CObject* newElement) { return Link(new CNode{nullptr, m_pNodeTail, newElement}); }

void CObList::RemoveAll()
{
    for (CNode* p = m_pNodeHead; p;) {
        CNode* pNext = p->pNext;
        delete p;
        p = pNext;
    }
    m_pNodeHead = m_pNodeTail = nullptr;
    m_nCount = 0;
}

POSITION CObList::GetHeadPosition() const { return Position(m_pNodeHead); }
POSITION CObList::GetTailPosition() const { return Position(m_pNodeTail); }

CObject*& CObList::GetNext(POSITION& rPosition)
{
    CNode* p = Node(rPosition);
    rPosition = Position(p->pNext);
    return p->data;
}

CObject* CObList::GetNext(POSITION& rPosition) const
{
    CNode* p = Node(rPosition);
    rPosition = Position(p->pNext);
    return p->data;
}

CObject*& CObList::GetPrev(POSITION& rPosition)
{
    CNode* p = Node(rPosition);
    rPosition = Position(p->pPrev);
    return p->data;
}

CObject*& CObList::GetAt(POSITION position) { return Node(position)->data; }
CObject* CObList::GetAt(POSITION position) const { return Node(position)->data; }

void CObList::RemoveAt(POSITION position)
{
    CNode* p = Node(position);
    (p->pPrev ? p->pPrev->pNext : m_pNodeHead) = p->pNext;
    (p->pNext ? p->pNext->pPrev : m_pNodeTail) = p->pPrev;
    delete p;
    --m_nCount;
}

POSITION CObList::Find(CObject* searchValue, POSITION startAfter) const
{
    CNode* p = startAfter ? Node(startAfter)->pNext : m_pNodeHead;
    for (; p; p = p->pNext)
        if (p->data == searchValue)
            return Position(p);
    return nullptr;
}

void CObList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        if (m_nCount < 0xFFFF) {
            ar << WORD(m_nCount);
        } else {
            ar << WORD(0xFFFF) << DWORD(m_nCount);
        }
        for (CNode* p = m_pNodeHead; p; p = p->pNext)
            ar.WriteObject(p->data);
        return;
    }

    WORD wCount;
    ar >> wCount;
    DWORD nNewCount = wCount;
    if (wCount == 0xFFFF)
        ar >> nNewCount;
    // Every object takes at least its two-byte tag: a count the rest of the
    // archive cannot hold is refused before anything is created.
    if ((long long)nNewCount * 2 > ar.GetRemaining() || nNewCount > DWORD(INT_MAX - m_nCount))
        ar.ThrowArchive(CArchiveException::endOfFile);

    std::unordered_set<const CObject*> held;
    for (CNode* p = m_pNodeHead; p; p = p->pNext)
        held.insert(p->data);
    for (DWORD i = 0; i < nNewCount; ++i) {
        // The node comes first, so that an object once read is always in
        // the list for its owner to delete.
        POSITION pos = AddTail(nullptr);
        CObject* pOb;
        try {
            pOb = ar.ReadObject(nullptr);
        } catch (...) {
            RemoveAt(pos);
            throw;
        }
        if (pOb && held.count(pOb)) {
            RemoveAt(pos); // it is in the list already, once
            ar.ThrowArchive(CArchiveException::badIndex);
        }
        GetAt(pos) = pOb;
        if (pOb)
            held.insert(pOb);
    }
}
