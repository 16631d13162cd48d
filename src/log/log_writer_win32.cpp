#include <stdio.h>
#include <windows.h>

#include <algorithm>

#include "log_writer.h"

size_t (*CLogWriter::s_pfnWriteLimit)(size_t length) = nullptr;
void (*CLogWriter::s_pfnMeanwhile)() = nullptr;

namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// One name per log file, whatever the letter case or separators of its
// path; global, so that services and users share it.
std::string MutexName(const std::string& logPath) {
  unsigned long long hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : logPath) {
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    if (c == '/') c = '\\';
    hash = (hash ^ c) * 1099511628211ull;
  }
  char name[48];
  (void)snprintf(name, sizeof name, "Global\\Quillspur.log.%016llx", hash);
  return name;
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
      m_hLock(0) {}

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
  if (m_hLock == 0) {
    const HANDLE mutex =
        CreateMutexA(nullptr, FALSE, MutexName(m_strLogPath).c_str());
    if (mutex != nullptr) {
      // An abandoned mutex is ours too: its holder ended during a message.
      const DWORD waited = WaitForSingleObject(mutex, INFINITE);
      if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        m_hLock = reinterpret_cast<intptr_t>(mutex);
      } else {
        CloseHandle(mutex);
      }
    }
  }
  // The access and sharing of the runtime's fopen(path, "a").
  const HANDLE file = CreateFileA(m_strLogPath.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
  return Open();
}

void CLogWriter::Append(const char* line, size_t length) {
  const size_t allowed =
      s_pfnWriteLimit ? std::min(length, s_pfnWriteLimit(length)) : length;
  const HANDLE file = AsHandle(m_hFile);
  SetPosition(file, 0, FILE_END);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(allowed), &written, nullptr);
  if (written == length || written == 0) return;
  if (s_pfnMeanwhile) s_pfnMeanwhile();
  CutBack(written);
}

void CLogWriter::CutBack(size_t n) {
  const HANDLE file = AsHandle(m_hFile);
  LARGE_INTEGER zero = {}, end;
  if (!SetFilePointerEx(file, zero, &end, FILE_CURRENT)) return;
  const long long start = end.QuadPart - static_cast<long long>(n);
  const long long size = Size();
  if (start < 0 || size < end.QuadPart) return;
  if (size == end.QuadPart || start < 2) {
    // Nothing follows; or the fragment begins the file, so there is no line
    // before it to end, and cutting drops what follows but no line is cut.
    SetPosition(file, start, FILE_BEGIN);
    SetEndOfFile(file);
    return;
  }
  const std::string blanks = std::string(n, ' ') + "\r\n";
  SetPosition(file, start - 2, FILE_BEGIN);
  DWORD ignored = 0;
  WriteFile(file, blanks.data(), static_cast<DWORD>(blanks.size()), &ignored,
            nullptr);
}

struct tm CLogWriter::LocalTime(time_t when) {
  struct tm local = {};
  if (const struct tm* broken = localtime(&when)) local = *broken;
  return local;
}

void CLogWriter::ReloadTimeZone() { _tzset(); }

void CLogWriter::SetWriteFault(size_t (*limit)(size_t length),
                               void (*meanwhile)()) {
  s_pfnWriteLimit = limit;
  s_pfnMeanwhile = meanwhile;
}
