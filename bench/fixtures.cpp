#include "fixtures.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

const char kProbeDirectory[] = "in";

namespace {

bool WriteText(const std::string& path, const std::string& text) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  return fclose(file) == 0 && written;
}

std::string Numbered(const char* format, long number) {
  char text[64];
  snprintf(text, sizeof text, format, number);
  return text;
}

std::string CheckPieceOf(long piece) {
  return Numbered(piece % 2 == 1 ? "in\\a%05ld.txt" : "in\\b%05ld*.txt", piece);
}

}  // namespace

bool MakeProbeDirectory() {
  mkdir(kProbeDirectory, 0755);
  for (int k = 1; k <= 8; ++k) {
    if (!WriteText(std::string(kProbeDirectory) + Numbered("/c%04ld.txt", k),
                   "")) {
      return false;
    }
  }
  return true;
}

std::string MissingFileOf(int job) {
  return std::string(kProbeDirectory) + Numbered("/a%05ld.txt", job);
}

bool WriteJobFile(const std::string& path, int jobs) {
  std::string text = "[Quillspur]\r\nDelay=0\r\n\r\n";
  for (int k = 1; k <= jobs; ++k) {
    text += Numbered("[J%05ld]\r\n", k);
    text += Numbered("Check=in\\a%05ld.txt;", k);
    text += Numbered("in\\b%05ld*.txt\r\n", k);
    text += Numbered("Run=echo %05ld\r\n", k);
  }
  return MakeProbeDirectory() && WriteText(path, text);
}

std::string CheckValueOf(long pieces) {
  std::string value;
  for (long k = 1; k <= pieces; ++k) {
    if (k > 1) value += ';';
    value += CheckPieceOf(k);
  }
  return value;
}

bool WriteLongValueFile(const std::string& path, long bytes) {
  std::string value;
  for (long k = 1; static_cast<long>(value.size()) < bytes; ++k)
    value += CheckPieceOf(k) + ";";
  value.resize(static_cast<size_t>(bytes));
  const std::string text =
      "[Quillspur]\r\nDelay=0\r\n\r\n[Long]\r\nCheck=" + value +
      "\r\nRun=echo long\r\n";
  return WriteText(path, text);
}

bool WriteStatusLogs(const std::string& logPath, const std::string& oldPath,
                     int jobs, long bytes) {
  // A day ago, so that no stamp lies in the future.
  time_t when = time(nullptr) - 86400;
  std::string text[2];
  int file = 0;
  for (int k = 1; file < 2; k = k % jobs + 1) {
    if (k == 1) ++when;
    struct tm local;
    localtime_r(&when, &local);
    char stamp[32];
    strftime(stamp, sizeof stamp, "%d.%m.%Y %H:%M:%S - ", &local);
    std::string& out = text[file];
    out += stamp;
    out +=
        "\xDC"
        "berpr\xFC"
        "fe Datei(en): ";
    out += Numbered("in\\a%05ld.txt;", k) + Numbered("in\\b%05ld*.txt\r\n", k);
    if (k % 20 == 0) {
      out += stamp + Numbered("Starte Programm: echo %05ld\r\n", k);
      out += stamp + std::string("Programm beendet (iRC = 0, errno = 0)\r\n");
    }
    if (static_cast<long>(out.size()) > bytes) ++file;
  }
  return WriteText(oldPath, text[0]) && WriteText(logPath, text[1]);
}

bool MakeEntries(const std::string& directory, long count) {
  if (mkdir(directory.c_str(), 0755) != 0) return false;
  for (long i = 0; i < count; ++i) {
    const std::string name = directory + Numbered("/e%07ld.dat", i);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    close(fd);
  }
  return true;
}

bool WriteRegistryStore(const std::string& path, int values,
                        const std::string& installPath) {
  std::string text =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\KESTRAN\\LORVANTIS]\r\n";
  for (int i = 1; i < values; ++i) {
    if (i % 2 == 0) {
      text += Numbered("\"Counter%04ld\"=dword:", i) + Numbered("%08lx\r\n", i);
    } else {
      text += Numbered("\"Setting%04ld\"=\"C:\\\\Programs\\\\Setting", i) +
              Numbered("%04ld\"\r\n", i);
    }
  }
  std::string escaped;
  for (char c : installPath) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  text += "\"Path\"=\"" + escaped + "\"\r\n";
  return WriteText(path, text);
}
