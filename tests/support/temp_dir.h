// A temporary directory of a test's own, made fresh under $TMPDIR (or /tmp) and removed with
// everything in it when the object goes; and the same directory entered as the current directory,
// for code that opens files by bare name.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class CTempDir {
public:
    CTempDir() {
        const char* pszBase = std::getenv("TMPDIR");
        const std::string strPattern = std::string(pszBase != nullptr && *pszBase != '\0' ? pszBase : "/tmp") +
                                       "/tesselor-test-XXXXXX";
        std::vector<char> buf(strPattern.begin(), strPattern.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data()) != nullptr) m_strPath = buf.data();
    }
    ~CTempDir() {
        std::error_code ec;
        if (!m_strPath.empty()) std::filesystem::remove_all(m_strPath, ec);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    // False when no directory could be made (Path() is then empty).
    bool Ok() const { return !m_strPath.empty(); }
    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& strName) const { return m_strPath + "/" + strName; }

private:
    std::string m_strPath;
};

// A temporary directory that is the current directory for as long as it lives.
class CScratchDir : public CTempDir {
public:
    CScratchDir() {
        char cwd[4096];
        m_strOld = getcwd(cwd, sizeof(cwd)) != nullptr ? cwd : "/";
        m_bEntered = CTempDir::Ok() && chdir(Path().c_str()) == 0;
    }
    // Back where the test was, before the directory goes.
    ~CScratchDir() {
        if (m_bEntered && chdir(m_strOld.c_str()) != 0) std::perror("chdir");
    }

    // False when the directory could not be made or entered.
    bool Ok() const { return m_bEntered; }

private:
    std::string m_strOld;
    bool m_bEntered = false;
};
