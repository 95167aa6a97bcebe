// CObList: the framework's doubly linked list of CObject pointers.
//
// The list does not own its objects: whoever fills it deletes them. That
// holds for a failed load too. Serialize, loading, appends each object as
// soon as it is read, so when it throws the list holds exactly the objects
// this load created so far (besides what it held before), and the owner
// deletes them as it deletes its objects anyway. The object that was being
// read when the archive failed is deleted by the archive.
#pragma once
#include "framework/base/CObject.h"

// An opaque place in a list.
struct CPositionTag;
typedef CPositionTag* POSITION;

class CObList : public CObject {
    DECLARE_DYNAMIC(CObList)

public:
    // The block size of the platform's node pool; nodes here are allocated
    // one by one, so it only exists for the callers that pass it.
    explicit CObList(int nBlockSize = 10);
    ~CObList() override;

    int GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    CObject*& GetHead();
    CObject*& GetTail();
    POSITION AddHead(CObject* newElement);
    POSITION AddTail(CObject* newElement);
    void RemoveAll();

    POSITION GetHeadPosition() const;
    POSITION GetTailPosition() const;
    // Returns the element at rPosition and moves rPosition on (to nullptr
    // after the last one).
    CObject*& GetNext(POSITION& rPosition);
    CObject* GetNext(POSITION& rPosition) const;
    CObject*& GetPrev(POSITION& rPosition);
    CObject*& GetAt(POSITION position);
    CObject* GetAt(POSITION position) const;
    void RemoveAt(POSITION position);
    // The first position after startAfter (from the head when it is
    // nullptr) that holds searchValue, or nullptr.
    POSITION Find(CObject* searchValue, POSITION startAfter = nullptr) const;

    // The count as 16 bits (0xFFFF then 32 bits from 65535 on), then each
    // element through the archive's object form. Loading appends; it refuses
    // an archive that would put one object into the list twice, since the
    // owner could not delete such a list safely.
    void Serialize(CArchive& ar) override;

private:
    struct CNode;
    static CNode* Node(POSITION p);
    static POSITION Position(CNode* p);
    POSITION Link(CNode* p);
    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    int m_nCount = 0;
};
