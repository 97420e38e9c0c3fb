// The name of the file a path leads to, links followed (default-GM.sf2 is a link to a sound font).
#pragma once

#include <climits>
#include <cstdlib>
#include <string>

// Empty when the path leads nowhere.
inline std::string RealFileName(const std::string& strPath) {
    char szReal[PATH_MAX];
    if (::realpath(strPath.c_str(), szReal) == nullptr) return std::string();
    const std::string strReal = szReal;
    return strReal.substr(strReal.rfind('/') + 1);
}
