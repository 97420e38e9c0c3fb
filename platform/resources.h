// The program's resources: every file the resource script names, compiled into the executable.
#pragma once

#include "platform/wintypes.h"

struct ResourceEntry {
    LPCSTR type;  // a type name ("WAVE") or MAKEINTRESOURCE of a standard type (RT_BITMAP)
    LPCSTR name;  // a name ("BG00") or MAKEINTRESOURCE of an id (153)
    const BYTE* data;
    DWORD size;
};

HMODULE GetModuleHandleA(LPCSTR lpModuleName);
HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
BOOL FreeResource(HGLOBAL hResData);

namespace resources {
// The table the resource compiler made from resources/tesselor.rc.
const ResourceEntry* EmbeddedTable(size_t* count);
// Tests: look resources up in another table (null: back to the embedded one).
void SetTableForTesting(const ResourceEntry* table, size_t count);
}  // namespace resources
