// Small helpers the audio asset tests share: whole-file reads, little-endian fields, a temp folder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline uint32_t Le16(const std::vector<uint8_t>& b, size_t at)
{
    return at + 2 <= b.size() ? uint32_t(b[at] | (b[at + 1] << 8)) : 0xDEADu;
}

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return at + 4 <= b.size() ? Le16(b, at) | (Le16(b, at + 2) << 16) : 0xDEADBEEFu;
}

inline std::string FourCC(const std::vector<uint8_t>& b, size_t at)
{
    return at + 4 <= b.size() ? std::string(b.begin() + long(at), b.begin() + long(at) + 4) : std::string();
}

inline std::string ResourcePath(const char* pszName)
{
    return std::string(TESSELOR_SOURCE_DIR) + "/resources/" + pszName;
}

// A fresh folder under the system's temp folder, removed with everything in it when done.
class CTempDir
{
public:
    CTempDir()
    {
        const char* pszBase = std::getenv("TMPDIR");
        std::string tmpl = std::string(pszBase && *pszBase ? pszBase : "/tmp") + "/tesselor-audio-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data()))
            m_strPath = buf.data();
    }
    ~CTempDir()
    {
        std::error_code ec;
        if (!m_strPath.empty())
            std::filesystem::remove_all(m_strPath, ec);
    }
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};
