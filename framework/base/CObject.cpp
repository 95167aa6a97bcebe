#include "framework/base/CObject.h"

#include <cstring>
#include <unordered_map>
#include <vector>

#include "framework/base/CArchive.h"

namespace {

// The tags of the archive's object form.
constexpr WORD wNullTag = 0x0000;
constexpr WORD wNewClassTag = 0xFFFF;
constexpr WORD wClassTag = 0x8000;
constexpr WORD wBigObjectTag = 0x7FFF; // a 32-bit tag follows
constexpr DWORD dwBigClassTag = 0x80000000u;
// Indices must leave the class bit of a 32-bit tag free.
constexpr DWORD nMaxMapCount = 0x7FFFFFFFu;
// No class of ours has a longer name; a longer one is not a class name.
constexpr WORD nMaxClassNameLength = 64;

std::vector<const CRuntimeClass*>& Registry()
{
    static std::vector<const CRuntimeClass*> classes;
    return classes;
}

} // namespace

// Per archive: what has been stored (class or object -> its index), or
// what has been loaded (index -> class or object). Index 0 is the null tag;
// classes and objects share the count from 1 in the order of their first
// appearance.
struct CArchiveObjectMaps {
    std::unordered_map<const void*, DWORD> stored;
    struct Loaded {
        const CRuntimeClass* pClass;
        CObject* pObject;
    };
    std::vector<Loaded> loaded{Loaded{nullptr, nullptr}};
    DWORD nMapCount = 1;
};

// --- CRuntimeClass -------------------------------------------------------

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
        if (p == pBaseClass)
            return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* lpszClassName)
{
    for (const CRuntimeClass* p : Registry())
        if (std::strcmp(p->m_lpszClassName, lpszClassName) == 0)
            return p;
    return nullptr;
}

AFX_CLASSINIT::AFX_CLASSINIT(const CRuntimeClass* pNewClass)
{
    Registry().push_back(pNewClass);
}

// --- CObject -------------------------------------------------------------

const CRuntimeClass CObject::classCObject = {"CObject", int(sizeof(CObject)), 0xFFFF, nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

bool CObject::IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }

// --- The archive's object form -------------------------------------------

CArchiveObjectMaps& CArchive::objectMaps()
{
    if (!m_pObjectMaps)
        m_pObjectMaps = new CArchiveObjectMaps;
    return *m_pObjectMaps;
}

void CArchive::freeObjectMaps(CArchiveObjectMaps* p) { delete p; }

void CArchive::WriteObject(const CObject* pOb)
{
    if (!IsStoring())
        ThrowArchive(CArchiveException::readOnly);
    if (!pOb) {
        *this << wNullTag;
        return;
    }
    CArchiveObjectMaps& maps = objectMaps();
    if (auto it = maps.stored.find(pOb); it != maps.stored.end()) {
        // Stored before: its index alone.
        if (it->second < wBigObjectTag) {
            *this << WORD(it->second);
        } else {
            *this << wBigObjectTag << DWORD(it->second);
        }
        return;
    }

    const CRuntimeClass* pClass = pOb->GetRuntimeClass();
    if (pClass->m_wSchema == 0xFFFF)
        ThrowArchive(CArchiveException::badClass); // not serialisable: it could never be loaded
    auto itClass = maps.stored.find(pClass);
    bool bNewClass = itClass == maps.stored.end();
    if (maps.nMapCount + (bNewClass ? 1 : 0) >= nMaxMapCount)
        ThrowArchive(CArchiveException::badIndex);
    if (bNewClass) {
        WORD nLength = WORD(std::strlen(pClass->m_lpszClassName));
        *this << wNewClassTag << WORD(pClass->m_wSchema) << nLength;
        Write(pClass->m_lpszClassName, nLength);
        maps.stored.emplace(pClass, maps.nMapCount++);
    } else if (itClass->second < wBigObjectTag) {
        *this << WORD(wClassTag | itClass->second);
    } else {
        *this << wBigObjectTag << DWORD(dwBigClassTag | itClass->second);
    }
    maps.stored.emplace(pOb, maps.nMapCount++);
    const_cast<CObject*>(pOb)->Serialize(*this);
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested)
{
    if (!IsLoading())
        ThrowArchive(CArchiveException::writeOnly);
    CArchiveObjectMaps& maps = objectMaps();

    WORD wTag;
    *this >> wTag;
    const CRuntimeClass* pClass = nullptr;
    if (wTag == wNewClassTag) {
        WORD nSchema, nLength;
        *this >> nSchema >> nLength;
        if (nLength == 0 || nLength > nMaxClassNameLength)
            ThrowArchive(CArchiveException::badClass);
        char szClassName[nMaxClassNameLength + 1];
        ReadExact(szClassName, nLength);
        szClassName[nLength] = '\0';
        pClass = CRuntimeClass::FromName(szClassName);
        if (!pClass)
            ThrowArchive(CArchiveException::badClass);
        if (pClass->m_wSchema != nSchema)
            ThrowArchive(CArchiveException::badSchema);
        if (maps.loaded.size() >= nMaxMapCount)
            ThrowArchive(CArchiveException::badIndex);
        maps.loaded.push_back({pClass, nullptr});
    } else {
        DWORD obTag;
        if (wTag == wBigObjectTag) {
            *this >> obTag;
        } else {
            obTag = (DWORD(wTag & wClassTag) << 16) | (wTag & ~wClassTag);
        }
        if (obTag & dwBigClassTag) {
            DWORD nClassIndex = obTag & ~dwBigClassTag;
            if (nClassIndex == 0 || nClassIndex >= maps.loaded.size() || !maps.loaded[nClassIndex].pClass)
                ThrowArchive(CArchiveException::badIndex);
            pClass = maps.loaded[nClassIndex].pClass;
        } else {
            if (obTag == wNullTag)
                return nullptr;
            if (obTag >= maps.loaded.size() || !maps.loaded[obTag].pObject)
                ThrowArchive(CArchiveException::badIndex);
            CObject* pOb = maps.loaded[obTag].pObject;
            if (pClassRefRequested && !pOb->IsKindOf(pClassRefRequested))
                ThrowArchive(CArchiveException::badClass);
            return pOb;
        }
    }

    if (pClassRefRequested && !pClass->IsDerivedFrom(pClassRefRequested))
        ThrowArchive(CArchiveException::badClass);
    if (maps.loaded.size() >= nMaxMapCount)
        ThrowArchive(CArchiveException::badIndex);
    // The entry goes in before the object exists, so that nothing can fail
    // between creating the object and recording it.
    size_t nIndex = maps.loaded.size();
    maps.loaded.push_back({nullptr, nullptr});
    CObject* pOb = pClass->CreateObject();
    if (!pOb)
        ThrowArchive(CArchiveException::badClass);
    // Recorded before its fields are read, so that a reference to it from
    // inside resolves.
    maps.loaded[nIndex].pObject = pOb;
    try {
        pOb->Serialize(*this);
    } catch (...) {
        // Nobody else has it yet: it goes here, and a later reference to it
        // is an index never met.
        maps.loaded[nIndex].pObject = nullptr;
        delete pOb;
        throw;
    }
    return pOb;
}
