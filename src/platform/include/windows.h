// Stand-in for <windows.h> on POSIX: exactly the Win32 types, constants and
// calls that Quillspur uses, with the Win32 contracts. The Windows build
// never sees this file and takes the real header instead.
#ifndef QUILLSPUR_POSIX_WINDOWS_H
#define QUILLSPUR_POSIX_WINDOWS_H

#include <stddef.h>
#include <stdint.h>

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint32_t DWORD;  // 32 bits, as on Windows (LLP64)
typedef int32_t LONG;
typedef uint64_t ULONGLONG;
typedef unsigned int UINT;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef DWORD REGSAM;
// The SDK's own tag names, reserved as they are.
// NOLINTBEGIN(bugprone-reserved-identifier)
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef struct _FILETIME* PFILETIME;
// NOLINTEND(bugprone-reserved-identifier)

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_WRITE_FAULT 29L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_BADDB 1009L
#define ERROR_KEY_DELETED 1018L

#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)
#define HKEY_USERS ((HKEY)(uintptr_t)0x80000003u)

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7

// No C++ exception leaves a stand-in, as none leaves the Win32 call it
// replaces: each reports running out of memory as its call does.
extern "C" {

// Profile (INI) functions, kernel32.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                               LPSTR buffer, DWORD size,
                               LPCSTR fileName) noexcept;
DWORD GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD size,
                                     LPCSTR fileName) noexcept;

// Process and timing, kernel32.
void Sleep(DWORD milliseconds) noexcept;
ULONGLONG GetTickCount64(void) noexcept;
HMODULE GetModuleHandleA(LPCSTR moduleName) noexcept;
LPSTR GetCommandLineA(void) noexcept;
// The calling thread's last error.
DWORD GetLastError(void) noexcept;
void SetLastError(DWORD error) noexcept;

// Registry, advapi32.
LONG RegCreateKeyExA(HKEY root, LPCSTR subKey, DWORD reserved, LPSTR className,
                     DWORD options, REGSAM access,
                     LPSECURITY_ATTRIBUTES security, PHKEY result,
                     LPDWORD disposition) noexcept;
LONG RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access,
                   PHKEY result) noexcept;
LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength,
                      LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength,
                      LPDWORD maxValueLength, LPDWORD securityDescriptor,
                      PFILETIME lastWriteTime) noexcept;
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName,
                   LPDWORD valueNameLength, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataLength) noexcept;
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                    const BYTE* data, DWORD dataLength) noexcept;
// No program calls these two: the tests set up and tidy the registry with
// them, on both builds alike.
LONG RegDeleteValueA(HKEY key, LPCSTR valueName) noexcept;
LONG RegDeleteKeyA(HKEY root, LPCSTR subKey) noexcept;
LONG RegCloseKey(HKEY key) noexcept;
}

#endif
