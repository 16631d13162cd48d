#include "log/log_file.h"

#include <string.h>

#include <string>

#include "log/log_messages.h"
#include "log/log_writer.h"
#include "platform/os_path.h"

CLogFile::CLogFile() : m_nMaxSize(0) {}
CLogFile::~CLogFile() = default;

void CLogFile::SetName(const CString& directory, const CString& name) {
  m_strLogPath = directory + "\\" + name + ".log";
  m_strOldPath = directory + "\\" + name + ".old";
  m_strOsLogPath = OsPath(m_strLogPath);
  m_strOsOldPath = OsPath(m_strOldPath);
}

void CLogFile::SetMaxSize(int maxSize) { m_nMaxSize = maxSize; }

void CLogFile::Write(const CString& message, bool withTimestamp) {
  if (m_strLogPath.IsEmpty()) return;
  CLogWriter writer(m_strOsLogPath, m_strOsOldPath);
  if (!writer.Open()) return;
  if (m_nMaxSize != 0 && !writer.MoveAsideIfLarger(m_nMaxSize)) return;
  // Formed after any move, as late as the time stamp may be taken.
  const CString line =
      FormatLine(message, withTimestamp, CLogWriter::LocalTime(time(nullptr)));
  writer.Append(line, static_cast<size_t>(line.GetLength()));
}

void CLogFile::ReloadTimeZone() { CLogWriter::ReloadTimeZone(); }

CString CLogFile::FormatLine(const CString& message, bool withTimestamp,
                             const struct tm& when) {
  // One pass over the message: every LF, also the closing one, goes to disk
  // as CR LF.
  const char* text = message;
  const char* const end = text + strlen(text);
  std::string line;
  line.reserve(kStampWidth + static_cast<size_t>(end - text) + 2);
  if (withTimestamp) {
    AppendStamp(line, when);
    line += " - ";
  } else {
    line.assign(kStampWidth, ' ');
  }
  for (;;) {
    const char* lf = static_cast<const char*>(
        memchr(text, '\n', static_cast<size_t>(end - text)));
    if (lf == nullptr) break;
    line.append(text, lf).append("\r\n");
    text = lf + 1;
  }
  line.append(text, end).append("\r\n");
  return line.c_str();
}
