// CObject and CRuntimeClass: the framework's object base with run-time
// class information, and the registry through which the archive finds a
// class by its stored name when it loads an object.
//
// A serialisable class declares DECLARE_SERIAL(Name) in its body and
// IMPLEMENT_SERIAL(Name, Base, wSchema) in its source file; it then
// registers under its own class name with that schema and can be stored
// with `ar << pOb` and loaded with `ar >> pOb`.
#pragma once
#include "framework/base/Types.h"

class CArchive;
class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                      // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();     // nullptr: not creatable
    const CRuntimeClass* m_pBaseClass;   // nullptr for CObject

    // A new object with its constructor's values, or nullptr when the class
    // cannot be created.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

    // The serialisable class registered under this name, or nullptr.
    static const CRuntimeClass* FromName(const char* lpszClassName);
};

// Registers a serialisable class at start-up (one static instance per class).
struct AFX_CLASSINIT {
    explicit AFX_CLASSINIT(const CRuntimeClass* pNewClass);
};

class CObject {
public:
    static const CRuntimeClass classCObject;

    // The slot order of the platform: run-time class, destructor, Serialize,
    // then the two diagnostics.
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
    // Diagnostics of the platform's debug build; there is nothing to check or
    // print here.
    virtual void AssertValid() const {}
    virtual void Dump() const {}

    bool IsKindOf(const CRuntimeClass* pClass) const;
    bool IsSerializable() const;

    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

protected:
    CObject() = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                          \
public:                                                      \
    static const CRuntimeClass class##class_name;            \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

// Also declares the typed load `ar >> pOb`, which refuses an object of
// another class with badClass.
#define DECLARE_SERIAL(class_name) \
    DECLARE_DYNCREATE(class_name)  \
    friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

#define IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, wSchema, pfnNew)                           \
    const CRuntimeClass class_name::class##class_name = {#class_name, int(sizeof(class_name)), wSchema, \
                                                         pfnNew, RUNTIME_CLASS(base_class_name)};      \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                            \
    CObject* class_name::CreateObject() { return new class_name; }                  \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                                      \
    CObject* class_name::CreateObject() { return new class_name; }                                  \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, wSchema, class_name::CreateObject)         \
    static const AFX_CLASSINIT _init_##class_name(RUNTIME_CLASS(class_name));                       \
    CArchive& operator>>(CArchive& ar, class_name*& pOb)                                            \
    {                                                                                               \
        pOb = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name)));                   \
        return ar;                                                                                  \
    }
