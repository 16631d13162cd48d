// CLogFile: the size-limited, rotating, timestamped log. The file is opened
// for every message and closed right after it, so others may read, move or
// delete it between messages. Every failure costs at most that message, and
// every line in the log is a whole message, also with several writers.
#ifndef QUILLSPUR_LOG_LOG_FILE_H
#define QUILLSPUR_LOG_LOG_FILE_H

#include <time.h>

#include <string>

#include "framework/afx_string.h"

class CLogFile {
 public:
  CLogFile();
  virtual ~CLogFile();

  // The log becomes directory\name.log, its predecessor directory\name.old.
  // Nothing is tested or created.
  void SetName(const CString& directory, const CString& name);
  // The current log's path, as the program names it.
  const CString& GetPath() const { return m_strLogPath; }
  // 0 means no limit; takes effect with the next message.
  void SetMaxSize(int maxSize);
  // Appends one line; a log larger than the limit is first moved to the
  // predecessor's name. Lost without notice when it cannot be written, and
  // then nothing of it stays in the log. Out of memory: std::bad_alloc, with
  // nothing written, so that the caller does not go on as if it were logged.
  void Write(const CString& message, bool withTimestamp);
  // Stamps use the time zone read here, once per cycle rather than once per
  // message.
  static void ReloadTimeZone();

  // The line as it goes to disk: "dd.mm.yyyy hh:mm:ss - " or 22 blanks, the
  // message, and every LF written as CR LF.
  static CString FormatLine(const CString& message, bool withTimestamp,
                            const struct tm& when);

 private:
  CString m_strLogPath;
  CString m_strOldPath;
  int m_nMaxSize;
  // The two paths in the operating system's form, made once when named.
  std::string m_strOsLogPath;
  std::string m_strOsOldPath;
};

#endif
