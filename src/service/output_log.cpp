#include "service/output_log.h"

OutputLog::OutputLog(const std::string& directory) {
  std::string prefix = directory;
  if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
  path_ = prefix + "output.log";
  old_path_ = prefix + "output.old";
}

OutputLog::~OutputLog() { Finish(); }

void OutputLog::Start(HANDLE pipe) {
  pipe_ = pipe;
  reader_ = std::thread(&OutputLog::Read, this);
}

void OutputLog::Finish() {
  if (reader_.joinable()) reader_.join();
  if (pipe_ != nullptr) CloseHandle(pipe_);
  pipe_ = nullptr;
}

void OutputLog::Read() {
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe_, buffer, sizeof buffer, &got, nullptr) && got != 0) {
    Append(buffer, got);
  }
}

void OutputLog::Append(const char* data, DWORD size) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileA(path_.c_str(), FILE_APPEND_DATA, share, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER length = {};
  if (GetFileSizeEx(file, &length) && length.QuadPart > kLimit) {
    CloseHandle(file);
    MoveFileExA(path_.c_str(), old_path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    file = CreateFileA(path_.c_str(), FILE_APPEND_DATA, share, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
  }
  DWORD written = 0;
  WriteFile(file, data, size, &written, nullptr);
  CloseHandle(file);
}
