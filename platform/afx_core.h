// Class library core: the common base object, run-time class records, strings and files.
#pragma once

#include <cstdio>
#include <string>

#include "platform/wintypes.h"

#ifdef NDEBUG
#define ASSERT(f) ((void)0)
#else
#include <cassert>
#define ASSERT(f) assert(f)
#endif
#define VERIFY(f) ((void)(f))

class CObject;
class CDumpContext;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;
    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
};

// Diagnostic output; it writes nothing in this program.
class CDumpContext {
public:
    CDumpContext& operator<<(LPCSTR) { return *this; }
};

// The common base of the program's objects. Its virtual operations stand in this order:
// GetRuntimeClass, the destructor, Serialize, AssertValid, Dump.
class CObject {
public:
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(void*) {}
    virtual void AssertValid() const {}
    virtual void Dump(CDumpContext&) const {}

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define DECLARE_DYNCREATE(class_name)                                  \
public:                                                                \
    static const CRuntimeClass class##class_name;                      \
    const CRuntimeClass* GetRuntimeClass() const override;             \
    static CObject* CreateObject();

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                           \
    CObject* class_name::CreateObject() { return new class_name; }                                 \
    const CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name),          \
                                                         &class_name::CreateObject, nullptr};      \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return &class##class_name; }

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// TRUE when p points at a readable zero-terminated string.
BOOL AfxIsValidString(LPCSTR p, int nLength = -1);

// A string, as far as the program uses one: made from text, read as text.
class CString {
public:
    CString() = default;
    CString(LPCSTR s) : m_str(s ? s : "") {}
    operator LPCSTR() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }

private:
    std::string m_str;
};

class CFileException {
public:
    enum { none = 0, genericException = 1, fileNotFound = 2, endOfFile = 14 };
    explicit CFileException(int cause = genericException) : m_cause(cause) {}
    int m_cause;
};

// A file opened for reading. Read and GetLength throw CFileException on an error
// after a successful open; the destructor closes the file.
class CFile {
public:
    enum OpenFlags { modeRead = 0x0000, shareDenyNone = 0x0040 };
    CFile() = default;
    virtual ~CFile();
    virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual unsigned long long GetLength() const;
    virtual void Close();

private:
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    std::FILE* m_pFile = nullptr;
};
