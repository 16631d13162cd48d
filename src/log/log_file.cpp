#include "log_file.h"

#include "log_writer.h"
#include "os_path.h"

CLogFile::CLogFile() : m_nMaxSize(0) {}
CLogFile::~CLogFile() = default;

void CLogFile::SetName(CString directory, CString name) {
  m_strLogPath = directory + "\\" + name + ".log";
  m_strOldPath = directory + "\\" + name + ".old";
}

void CLogFile::SetMaxSize(int maxSize) { m_nMaxSize = maxSize; }

void CLogFile::Write(CString message, bool withTimestamp) {
  if (m_strLogPath.IsEmpty()) return;
  CLogWriter writer(OsPath(m_strLogPath), OsPath(m_strOldPath));
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
  CString line;
  if (withTimestamp) {
    line.Format("%02d.%02d.%04d %02d:%02d:%02d - %s\n", when.tm_mday,
                when.tm_mon + 1, when.tm_year + 1900, when.tm_hour, when.tm_min,
                when.tm_sec, static_cast<const char*>(message));
  } else {
    line.Format("                      %s\n",
                static_cast<const char*>(message));
  }
  CString onDisk;
  for (int i = 0; i < line.GetLength(); ++i) {
    if (line[i] == '\n') onDisk += '\r';
    onDisk += line[i];
  }
  return onDisk;
}
