// CCheckReport: what quillspur-check found, as plain data, ready for the
// text and the JSON form. Texts are Windows-1252, as read.
#ifndef QUILLSPUR_CHECK_CHECK_REPORT_H
#define QUILLSPUR_CHECK_CHECK_REPORT_H

#include <stdint.h>

#include <string>
#include <vector>

#include "platform/text_encoding.h"

enum class Severity { kError, kWarning, kInfo };

struct Finding {
  std::string code;
  Severity severity;
  std::string message;
};

struct PieceReport {
  std::string text;  // as written in Check
  std::string path;  // as handed to the system
  bool match;
  std::string firstMatch;  // an entry that matched, when one is known
  std::string reason;      // why nothing matched; empty on a match
};

struct JobReport {
  std::string section;
  bool wouldRun;
  bool hasCheck;
  std::string check;
  std::string run;
  std::vector<PieceReport> pieces;
  std::vector<Finding> findings;
};

struct RegistryReport {
  std::string store;        // the store file, or the Windows registry
  std::string storeSource;  // why that store
  bool storeExists = false;
  bool storeReadable = false;
  bool storeIsRegistryFile = false;
  bool keyExists = false;
  bool monitorOpens = false;  // the monitor's own open would succeed
  std::string monitorOpenNote;
  bool pathPresent = false;
  std::string pathType;
  uint32_t pathSize = 0;
  bool pathRead = false;  // the monitor takes it as installation directory
  std::string installPath;
};

struct LogReport {
  std::string directory;  // empty: the root directory of the current drive
  std::string file;       // the log as the monitor names it
  std::string osFile;     // as handed to the system
  bool directoryExists = false;
  bool writable = false;
  bool fileExists = false;
  uint64_t size = 0;
  uint64_t bytesLeft = 0;
};

class CCheckReport {
 public:
  CCheckReport();
  virtual ~CCheckReport();

  std::string jobFile;      // the argument as given
  std::string profilePath;  // the path the profile functions read
  bool jobFileFound = false;
  bool jobFileReadable = false;
  TextEncoding jobFileEncoding = TextEncoding::kWindows1252;
  std::string directory;      // -C, empty when not given
  std::string globalSection;  // as written; empty when there is none
  bool hasDelay = false;
  std::string delayText;
  uint32_t delaySeconds = 0;
  RegistryReport registry;
  LogReport log;
  std::vector<Finding> findings;  // about the file, the registry, the log
  std::vector<JobReport> jobs;

  void Add(const std::string& code, Severity severity,
           const std::string& message);
  int Errors() const;
  int Warnings() const;
};

const char* SeverityName(Severity severity);

#endif
