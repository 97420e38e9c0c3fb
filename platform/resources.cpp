#include "platform/resources.h"

#include <strings.h>

namespace {

int g_moduleTag;
const HMODULE kProgramModule = reinterpret_cast<HMODULE>(&g_moduleTag);

const ResourceEntry* g_testTable = nullptr;
size_t g_testCount = 0;
bool g_useTestTable = false;

const ResourceEntry* Table(size_t* count) {
    if (g_useTestTable) {
        *count = g_testCount;
        return g_testTable;
    }
    return resources::EmbeddedTable(count);
}

// Names and types compare as ids when both are ids, as text (ignoring case) when both are text.
bool SameName(LPCSTR a, LPCSTR b) {
    bool aId = IS_INTRESOURCE(a);
    bool bId = IS_INTRESOURCE(b);
    if (aId || bId) return aId && bId && a == b;
    return strcasecmp(a, b) == 0;
}

bool IsEntry(HRSRC h) {
    size_t count = 0;
    const ResourceEntry* table = Table(&count);
    const ResourceEntry* e = reinterpret_cast<const ResourceEntry*>(h);
    return table != nullptr && e >= table && e < table + count;
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR lpModuleName) { return lpModuleName == nullptr ? kProgramModule : nullptr; }

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    if (hModule != nullptr && hModule != kProgramModule) return nullptr;
    if (lpName == nullptr || lpType == nullptr) return nullptr;
    size_t count = 0;
    const ResourceEntry* table = Table(&count);
    for (size_t i = 0; i < count; ++i) {
        if (SameName(table[i].type, lpType) && SameName(table[i].name, lpName)) {
            return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(&table[i]));
        }
    }
    return nullptr;
}

HGLOBAL LoadResource(HMODULE /*hModule*/, HRSRC hResInfo) {
    return IsEntry(hResInfo) ? static_cast<HGLOBAL>(hResInfo) : nullptr;
}

LPVOID LockResource(HGLOBAL hResData) {
    HRSRC h = static_cast<HRSRC>(hResData);
    if (!IsEntry(h)) return nullptr;
    return const_cast<BYTE*>(reinterpret_cast<const ResourceEntry*>(h)->data);
}

DWORD SizeofResource(HMODULE /*hModule*/, HRSRC hResInfo) {
    if (!IsEntry(hResInfo)) return 0;
    return reinterpret_cast<const ResourceEntry*>(hResInfo)->size;
}

// Resources stay in place for the life of the process; freeing one does nothing.
BOOL FreeResource(HGLOBAL /*hResData*/) { return FALSE; }

namespace resources {
void SetTableForTesting(const ResourceEntry* table, size_t count) {
    g_useTestTable = table != nullptr;
    g_testTable = table;
    g_testCount = count;
}
}  // namespace resources
