#include <stdio.h>
#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "log/log_writer.h"
#include "platform/ascii.h"
#include "platform/seams.h"

namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// One name per log file, whatever the letter case or separators of its
// path; global, so that services and users share it.
std::string MutexName(const std::string& logPath) {
  unsigned long long hash = 14695981039346656037ull;  // FNV-1a
  for (char c : logPath) {
    c = c == '/' ? '\\' : AsciiUpper(c);
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  char name[48];
  (void)snprintf(name, sizeof name, "Global\\Quillspur.log.%016llx", hash);
  return name;
}

// Whether owner is this process's user, or the owner it gives the objects
// it makes (the administrators when elevated; Wine gives a group).
bool IsOwnSid(PSID owner) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  char buffer[256];
  DWORD size = 0;
  bool own =
      GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
      EqualSid(owner, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
  if (!own &&
      GetTokenInformation(token, TokenOwner, buffer, sizeof buffer, &size)) {
    own = EqualSid(owner, reinterpret_cast<TOKEN_OWNER*>(buffer)->Owner);
  }
  CloseHandle(token);
  return own;
}

// Whether the object belongs to SYSTEM, the administrators or this
// process's own user: nobody else may make the monitor wait for a mutex or
// write through a reparse point.
bool OwnedByTrusted(HANDLE object, SE_OBJECT_TYPE type) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, type, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                      nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool trusted = IsWellKnownSid(owner, WinLocalSystemSid) ||
                       IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                       IsOwnSid(owner);
  LocalFree(descriptor);
  return trusted;
}

// The mutex of one log, waited for about a second at most: null when it
// cannot be had, and the message is then written as by a single writer.
// Only SYSTEM, the administrators and the mutex's owner may open it, and
// one that someone else made first is not used.
HANDLE AcquireMutex(const std::string& logPath) {
  // Named first: nothing is allocated while the descriptor is held.
  const std::string name = MutexName(logPath);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
          "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;OW)", SDDL_REVISION_1,
          &attributes.lpSecurityDescriptor, nullptr)) {
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  HANDLE mutex = CreateMutexA(&attributes, FALSE, name.c_str());
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  LocalFree(attributes.lpSecurityDescriptor);
  if (mutex == nullptr) return nullptr;
  // An abandoned mutex is ours too: its holder ended during a message.
  if (!existed || OwnedByTrusted(mutex, SE_KERNEL_OBJECT)) {
    const DWORD waited = WaitForSingleObject(mutex, 1000);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return mutex;
  }
  CloseHandle(mutex);
  return nullptr;
}

// A log of its own: a file, not a directory, with no second name.
bool IsOwnFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         info.nNumberOfLinks == 1;
}

bool IsReparsePoint(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

void SetPosition(HANDLE file, long long offset, DWORD from) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  SetFilePointerEx(file, distance, nullptr, from);
}

}  // namespace

CLogWriter::CLogWriter(const std::string& logPath, const std::string& oldPath)
    : m_strLogPath(logPath),
      m_strOldPath(oldPath),
      m_hFile(reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE)),
      m_hLock(0),
      m_nDir(-1) {}

CLogWriter::~CLogWriter() {
  Close();
  if (m_hLock != 0) {
    ReleaseMutex(AsHandle(m_hLock));
    CloseHandle(AsHandle(m_hLock));
  }
}

bool CLogWriter::Open() {
  // The whole message is written under the lock, so no other writer's line
  // can come between a write and its cut-back.
  if (m_hLock == 0)
    m_hLock = reinterpret_cast<intptr_t>(AcquireMutex(m_strLogPath));
  return OpenLog(false);
}

bool CLogWriter::OpenLog(bool exclusive) {
  // The access and sharing of the runtime's fopen(path, "a"); a reparse
  // point at the name is opened itself, not what it leads to, so nothing
  // is created through it.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE file =
      CreateFileA(m_strLogPath.c_str(), GENERIC_WRITE, share, nullptr,
                  exclusive ? CREATE_NEW : OPEN_ALWAYS, flags, nullptr);
  // Another writer on the same log made the new one first.
  if (file == INVALID_HANDLE_VALUE && exclusive &&
      GetLastError() == ERROR_FILE_EXISTS) {
    file = CreateFileA(m_strLogPath.c_str(), GENERIC_WRITE, share, nullptr,
                       OPEN_ALWAYS, flags, nullptr);
  }
  if (file != INVALID_HANDLE_VALUE && IsReparsePoint(file)) {
    // Followed only when an administrator or this user made it.
    const bool trusted = OwnedByTrusted(file, SE_FILE_OBJECT);
    CloseHandle(file);
    file = trusted ? CreateFileA(m_strLogPath.c_str(), GENERIC_WRITE, share,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr)
                   : INVALID_HANDLE_VALUE;
  }
  if (file != INVALID_HANDLE_VALUE && !IsOwnFile(file)) {
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
  }
  m_hFile = reinterpret_cast<intptr_t>(file);
  return file != INVALID_HANDLE_VALUE;
}

void CLogWriter::Close() {
  if (AsHandle(m_hFile) != INVALID_HANDLE_VALUE) CloseHandle(AsHandle(m_hFile));
  m_hFile = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
}

long long CLogWriter::Size() const {
  LARGE_INTEGER size;
  return GetFileSizeEx(AsHandle(m_hFile), &size) ? size.QuadPart : -1;
}

bool CLogWriter::MoveAsideIfLarger(long long maxSize) {
  // The size was taken under the lock: no other writer has moved it since.
  if (Size() <= maxSize) return true;
  Close();
  // remove deletes files only; rename fails when the old path is taken.
  (void)remove(m_strOldPath.c_str());
  (void)rename(m_strLogPath.c_str(), m_strOldPath.c_str());
  seams::LogAfterMove();
  return OpenLog(true);
}

void CLogWriter::Append(const char* line, size_t length) {
  // The mutex, held for the whole message, guards the cutting back too.
  const size_t written = WriteOnce(line, length);
  if (written == length || written == 0) return;
  CutBack(written);
}

size_t CLogWriter::WriteAtEnd(const char* data, size_t length) {
  const HANDLE file = AsHandle(m_hFile);
  SetPosition(file, 0, FILE_END);
  DWORD written = 0;
  WriteFile(file, data, static_cast<DWORD>(length), &written, nullptr);
  return written;
}

bool CLogWriter::Position(long long& offset) const {
  LARGE_INTEGER zero = {}, position;
  if (!SetFilePointerEx(AsHandle(m_hFile), zero, &position, FILE_CURRENT))
    return false;
  offset = position.QuadPart;
  return true;
}

void CLogWriter::TruncateAt(long long offset) {
  const HANDLE file = AsHandle(m_hFile);
  SetPosition(file, offset, FILE_BEGIN);
  SetEndOfFile(file);
}

void CLogWriter::OverwriteAt(long long offset, const std::string& bytes) {
  const HANDLE file = AsHandle(m_hFile);
  SetPosition(file, offset, FILE_BEGIN);
  DWORD ignored = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &ignored,
            nullptr);
}

struct tm CLogWriter::LocalTime(time_t when) {
  struct tm local = {};
  if (const struct tm* broken = localtime(&when)) local = *broken;
  return local;
}

void CLogWriter::ReloadTimeZone() { _tzset(); }
