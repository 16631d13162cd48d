#ifndef QUILLSPUR_SERVICE_OUTPUT_LOG_H
#define QUILLSPUR_SERVICE_OUTPUT_LOG_H

#include <windows.h>

#include <string>
#include <thread>

// What the monitor and the commands of its jobs print: read from a pipe
// and appended to output.log in the working directory, which is moved
// aside to output.old (replacing an older one) once it has grown past
// kLimit bytes. The file is opened for each piece, so that it can be
// renamed or deleted at any time.
class OutputLog {
 public:
  explicit OutputLog(const std::string& directory);
  ~OutputLog();
  OutputLog(const OutputLog&) = delete;
  OutputLog& operator=(const OutputLog&) = delete;

  // Reads pipe, which it then owns, on a thread of its own until every
  // writer has closed it.
  void Start(HANDLE pipe);
  // Waits for that thread, once the writers are gone, and closes the pipe.
  void Finish();

  static const DWORD kLimit = 1000000;

 private:
  void Read();
  void Append(const char* data, DWORD size);

  std::string path_;
  std::string old_path_;
  HANDLE pipe_ = nullptr;
  std::thread reader_;
};

#endif
