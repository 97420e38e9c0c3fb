#include "platform/afx_core.h"

#include <sys/stat.h>

const CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

BOOL AfxIsValidString(LPCSTR p, int /*nLength*/) { return p != nullptr; }

CFile::~CFile() { Close(); }

BOOL CFile::Open(LPCSTR lpszFileName, UINT /*nOpenFlags*/, CFileException* pError) {
    Close();
    if (lpszFileName == nullptr) {
        if (pError) pError->m_cause = CFileException::fileNotFound;
        return FALSE;
    }
    m_pFile = std::fopen(lpszFileName, "rb");
    if (m_pFile == nullptr) {
        if (pError) pError->m_cause = CFileException::fileNotFound;
        return FALSE;
    }
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (m_pFile == nullptr) throw CFileException(CFileException::genericException);
    if (nCount == 0) return 0;
    size_t n = std::fread(lpBuf, 1, nCount, m_pFile);
    if (n < nCount && std::ferror(m_pFile)) throw CFileException(CFileException::genericException);
    return static_cast<UINT>(n);
}

unsigned long long CFile::GetLength() const {
    if (m_pFile == nullptr) throw CFileException(CFileException::genericException);
    struct stat st;
    if (fstat(fileno(m_pFile), &st) != 0) throw CFileException(CFileException::genericException);
    return static_cast<unsigned long long>(st.st_size);
}

void CFile::Close() {
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
}
