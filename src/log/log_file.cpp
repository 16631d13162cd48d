#include "log_file.h"

#include <stdio.h>

#include <string>

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
  const std::string logPath = OsPath(m_strLogPath);
  // Binary mode: the bytes on disk are the same on every platform, and the
  // line ends are made by FormatLine.
  FILE* file = fopen(logPath.c_str(), "ab");
  if (file == nullptr) return;
  fseek(file, 0, SEEK_END);
  const long size = ftell(file);
  if (m_nMaxSize != 0 && size > m_nMaxSize) {
    fclose(file);
    const std::string oldPath = OsPath(m_strOldPath);
    remove(oldPath.c_str());
    rename(logPath.c_str(), oldPath.c_str());
    file = fopen(logPath.c_str(), "ab");
    if (file == nullptr) return;
  }
  const time_t now = time(nullptr);
  struct tm when = {};
  if (const struct tm* local = localtime(&now)) when = *local;
  fputs(FormatLine(message, withTimestamp, when), file);
  fclose(file);
}

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
