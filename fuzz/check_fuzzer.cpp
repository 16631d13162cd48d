// quillspur-check's report on arbitrary job files, run in a temporary
// directory that holds a few files for Check to find and a registry store
// whose installation path is that directory. Both renderings are produced,
// the JSON one well formed and valid UTF-8, and every job's verdict is the
// monitor's own decision, job for job in order, with the Run that the
// profile functions read; the scan's block of each job, whose keys explain
// it, holds that Run too, in a decoded file as well, and the status's job
// list reads the same jobs, texts and Delay. A check that keeps
// only the jobs with findings gives the same report of findings.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/job_checker.h"
#include "check/job_file_scan.h"
#include "check/job_list.h"
#include "check/json_report.h"
#include "check/text_report.h"
#include "config/ini_file.h"
#include "framework/afx_string.h"
#include "framework/afx_string_array.h"
#include "fuzz_check.h"
#include "fuzz_setup.h"
#include "monitor/job_rules.h"

namespace {

const char kJobFile[] = "jobs.ini";
// Relative to the temporary directory; the last is the log directory.
const char* const kDirectories[] = {"dir",
                                    "data",
                                    "htdocs",
                                    "htdocs/LORVANTIS",
                                    "htdocs/LORVANTIS/lorvantis_php",
                                    "htdocs/LORVANTIS/lorvantis_php/log"};
const char* const kFiles[] = {"a.txt", "dir/b.dat", "data/report.txt",
                              "data/x.dat", "data/README"};

std::string g_directory;
std::string g_start;  // the working directory to return to

void RemoveAll() {
  unlink((g_directory + "/" + kJobFile).c_str());
  unlink((g_directory + "/registry.reg").c_str());
  for (const char* file : kFiles) unlink((g_directory + "/" + file).c_str());
  for (size_t i = sizeof kDirectories / sizeof *kDirectories; i > 0; --i)
    rmdir((g_directory + "/" + kDirectories[i - 1]).c_str());
  rmdir(g_directory.c_str());
}

// Everything the check reads lies in the directory, the registry store too.
void SetUp() {
  g_directory = MakeFuzzDirectory("check");
  atexit(RemoveAll);
  for (const char* directory : kDirectories)
    FUZZ_CHECK(mkdir((g_directory + "/" + directory).c_str(), 0700) == 0);
  for (const char* file : kFiles)
    WriteFuzzFile(g_directory + "/" + file, "x", 1);
  UseFuzzRegistry(g_directory);
  std::vector<char> start(4096);
  FUZZ_CHECK(getcwd(start.data(), start.size()) != nullptr);
  g_start = start.data();
}

// The checks below are neither traced nor address-checked: their branches
// say nothing about the code under test, they only read a string that the
// report has just built, and traced they took as long as building it.
#define QS_UNTRACED __attribute__((no_sanitize("coverage", "address")))

// The length of the UTF-8 sequence at text, of size bytes, or 0 when it is
// not one: shortest form, no surrogates, nothing above U+10FFFF.
QS_UNTRACED size_t Utf8Length(const unsigned char* text, size_t size) {
  const unsigned char c = text[0];
  if (c < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (length > size) return 0;
  for (size_t k = 1; k < length; ++k) {
    if (text[k] < (k == 1 ? low : 0x80) || text[k] > (k == 1 ? high : 0xBF))
      return 0;
  }
  return length;
}

// Valid UTF-8, one object, brackets balanced outside strings, and strings
// without raw control characters or unknown escapes.
QS_UNTRACED void CheckJson(const std::string& json) {
  const unsigned char* text =
      reinterpret_cast<const unsigned char*>(json.data());
  const size_t size = json.size();
  FUZZ_CHECK(size > 0 && text[0] == '{');
  std::vector<unsigned char> open;
  bool inString = false;
  for (size_t i = 0; i < size;) {
    const unsigned char c = text[i];
    const size_t length = c < 0x80 ? 1 : Utf8Length(text + i, size - i);
    FUZZ_CHECK(length > 0);
    if (inString) {
      FUZZ_CHECK(c >= 0x20);
      if (c == '\\') {
        FUZZ_CHECK(i + 1 < size);
        static const char kEscapes[] = "\"\\/bfnrtu";
        FUZZ_CHECK(memchr(kEscapes, text[i + 1], sizeof kEscapes - 1) !=
                   nullptr);
        i += 2;
        continue;
      }
      if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      open.push_back(c == '{' ? '}' : ']');
    } else if (c == '}' || c == ']') {
      FUZZ_CHECK(!open.empty() && open.back() == c);
      open.pop_back();
      if (open.empty()) {
        for (size_t k = i + 1; k < size; ++k)
          FUZZ_CHECK(text[k] == ' ' || text[k] == '\r' || text[k] == '\n');
      }
    }
    i += length;
  }
  FUZZ_CHECK(!inString && open.empty());
}

struct Decision {
  std::string section;
  bool runs;
  std::string check;
  std::string run;
};

// The monitor's pass: the section list once, the global section skipped,
// Check tested; and each job's Run, which it reads only when it starts one.
std::vector<Decision> MonitorDecisions() {
  CIniFile ini;
  ini.SetFileName(ProfilePathFor(kJobFile));
  CStringArray sections;
  ini.GetSectionNames(&sections);
  std::vector<Decision> decisions;
  for (int i = 0; i < sections.GetSize(); ++i) {
    const CString section = sections.GetAt(i);
    if (IsGlobalSection(section)) continue;
    const CString check = ini.GetString(section, kCheckKey, nullptr);
    decisions.push_back(Decision{
        std::string(section), CheckPaths(check, nullptr), std::string(check),
        std::string(ini.GetString(section, kRunKey, nullptr))});
  }
  return decisions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_directory.empty()) SetUp();
  // Relative Check paths are taken from the directory, as from the
  // monitor's working directory. A finding is written from in there, so
  // fuzz/run.sh gives libFuzzer absolute paths.
  FUZZ_CHECK(chdir(g_directory.c_str()) == 0);
  WriteFuzzFile(kJobFile, data, size);

  CCheckReport report;
  CJobChecker(report, false).Check(kJobFile, std::vector<std::string>());
  FUZZ_CHECK(!CTextReport::Format(report, false).empty());
  CCheckReport findings;
  CJobChecker(findings, true).Check(kJobFile, std::vector<std::string>());
  FUZZ_CHECK(CTextReport::Format(findings, true) ==
             CTextReport::Format(report, true));
  CheckJson(CJsonReport::Format(report));

  const std::vector<Decision> decisions = MonitorDecisions();
  // The status's job list lexes the file itself: the same jobs, texts and
  // Delay as the profile functions give the monitor.
  CJobList list;
  std::string reason;
  FUZZ_CHECK(list.Load(kJobFile, reason));
  FUZZ_CHECK(report.jobs.size() == decisions.size());
  FUZZ_CHECK(list.m_jobs.size() == decisions.size());
  for (size_t i = 0; i < decisions.size(); ++i) {
    FUZZ_CHECK(report.jobs[i].section == decisions[i].section);
    FUZZ_CHECK(report.jobs[i].wouldRun == decisions[i].runs);
    FUZZ_CHECK(report.jobs[i].run == decisions[i].run);
    FUZZ_CHECK(list.m_jobs[i].section == decisions[i].section);
    FUZZ_CHECK(list.m_jobs[i].check == decisions[i].check);
    FUZZ_CHECK(list.m_jobs[i].run == decisions[i].run);
  }
  CIniFile ini;
  ini.SetFileName(ProfilePathFor(kJobFile));
  FUZZ_CHECK(list.m_nDelay == ReadDelay(ini));
  CJobFileScan scan;
  scan.Scan(std::string(reinterpret_cast<const char*>(data), size));
  for (const Decision& decision : decisions) {
    const size_t block = scan.FirstBlock(decision.section);
    FUZZ_CHECK((block != CJobFileScan::kNone
                    ? std::string(scan.BlockAt(block).run)
                    : std::string()) == decision.run);
  }
  FUZZ_CHECK(chdir(g_start.c_str()) == 0);
  return 0;
}
