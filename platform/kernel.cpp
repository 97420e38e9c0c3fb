#include "platform/kernel.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace {

// Every block this layer hands out, by handle. Pointers and handles that are not here are refused.
struct Block {
    void* data;
    size_t size;
    bool moveable;
    int locks;
};

std::mutex g_mutex;
std::map<HGLOBAL, Block>& Blocks() {
    static std::map<HGLOBAL, Block> blocks;
    return blocks;
}

// Handles of moveable blocks are tags, never addresses one could read through.
uintptr_t g_nextTag = 0x1000;

// Nothing in this program needs a block anywhere near this size; larger requests fail.
constexpr size_t kMaxBlock = size_t(1) << 31;

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, size_t dwBytes) {
    if (dwBytes > kMaxBlock) return nullptr;
    bool moveable = (uFlags & GMEM_MOVEABLE) != 0;
    void* data = nullptr;
    if (dwBytes > 0 || !moveable) {
        data = std::malloc(dwBytes ? dwBytes : 1);
        if (data == nullptr) return nullptr;
        if (uFlags & GMEM_ZEROINIT) std::memset(data, 0, dwBytes);
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    HGLOBAL h;
    if (moveable) {
        g_nextTag += 16;
        h = reinterpret_cast<HGLOBAL>(g_nextTag);
    } else {
        h = data;
    }
    Blocks()[h] = Block{data, dwBytes, moveable, 0};
    return h;
}

LPVOID GlobalLock(HGLOBAL hMem) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Blocks().find(hMem);
    if (it == Blocks().end() || it->second.data == nullptr) return nullptr;
    if (it->second.moveable) ++it->second.locks;
    return it->second.data;
}

BOOL GlobalUnlock(HGLOBAL hMem) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Blocks().find(hMem);
    if (it == Blocks().end() || !it->second.moveable || it->second.locks == 0) return FALSE;
    --it->second.locks;
    return it->second.locks > 0;
}

HGLOBAL GlobalHandle(LPCVOID pMem) {
    if (pMem == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    for (auto& [handle, block] : Blocks()) {
        if (block.data == pMem) return handle;
    }
    return nullptr;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
    if (hMem == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Blocks().find(hMem);
    if (it == Blocks().end()) return hMem;
    std::free(it->second.data);
    Blocks().erase(it);
    return nullptr;
}

size_t GlobalSize(HGLOBAL hMem) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Blocks().find(hMem);
    return it == Blocks().end() ? 0 : it->second.size;
}

HFILE _lopen(LPCSTR lpPathName, int /*iReadWrite*/) {
    if (lpPathName == nullptr) return HFILE_ERROR;
    int fd = ::open(lpPathName, O_RDONLY | O_CLOEXEC);
    return fd < 0 ? HFILE_ERROR : fd;
}

UINT _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes) {
    if (hFile == HFILE_ERROR || lpBuffer == nullptr) return static_cast<UINT>(HFILE_ERROR);
    UINT done = 0;
    while (done < uBytes) {
        ssize_t n = ::read(hFile, static_cast<BYTE*>(lpBuffer) + done, uBytes - done);
        if (n < 0) return done > 0 ? done : static_cast<UINT>(HFILE_ERROR);
        if (n == 0) break;
        done += static_cast<UINT>(n);
    }
    return done;
}

HFILE _lclose(HFILE hFile) {
    if (hFile == HFILE_ERROR) return HFILE_ERROR;
    return ::close(hFile) == 0 ? 0 : HFILE_ERROR;
}
