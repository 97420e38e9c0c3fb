#include "platform/software_gl.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace software_gl {

namespace {

bool Openable(const std::string& path) { return access(path.c_str(), R_OK | W_OK) == 0; }

bool HasPrefix(const char* name, const char* prefix) { return std::string(name).rfind(prefix, 0) == 0; }

// The DRM nodes a Mesa or other hardware driver opens: renderD* and card*.
bool DrmNodeOpenable(const std::string& driDir) {
    DIR* dir = opendir(driDir.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (!found) {
        const dirent* entry = readdir(dir);
        if (entry == nullptr) break;
        if (HasPrefix(entry->d_name, "renderD") || HasPrefix(entry->d_name, "card"))
            found = Openable(driDir + "/" + entry->d_name);
    }
    closedir(dir);
    return found;
}

std::string Lower(const char* text) {
    std::string s(text);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

}  // namespace

bool GraphicsDeviceOpenable(const char* devRoot) {
    if (devRoot == nullptr) return false;
    const std::string root(devRoot);
    return DrmNodeOpenable(root + "/dri") || Openable(root + "/nvidiactl") || Openable(root + "/dxg");
}

bool NamesSoftwareRasteriser(const char* glRenderer) {
    if (glRenderer == nullptr) return false;
    const std::string name = Lower(glRenderer);
    // Mesa's rasterisers (also beneath a layer such as zink) and the one Windows lends to WSL.
    static const char* const SOFTWARE[] = {"llvmpipe", "softpipe", "swrast", "software rasterizer",
                                           "basic render driver"};
    for (const char* word : SOFTWARE)
        if (name.find(word) != std::string::npos) return true;
    return false;
}

}  // namespace software_gl
