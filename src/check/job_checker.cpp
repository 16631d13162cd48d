#include "check/job_checker.h"

#include <string.h>

#include <algorithm>
#include <utility>

#include "check/command_lookup.h"
#include "check/file_probe.h"
#include "check/key_spelling.h"
#include "check/registry_probe.h"
#include "framework/afx_string_array.h"
#include "framework/file_find.h"
#include "framework/wildcard.h"
#include "log/log_file.h"
#include "monitor/job_rules.h"
#include "platform/ascii.h"
#include "platform/os_path.h"
#include "registry/install_path.h"

namespace {

void Add(JobReport& job, const std::string& code, Severity severity,
         const std::string& message) {
  job.findings.push_back(Finding{code, severity, message});
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string LowerAscii(std::string text) {
  for (char& c : text) c = AsciiLower(c);
  return text;
}

// The finder's pattern rule, with ASCII letters in any case if asked.
bool Matches(const std::string& name, const std::string& pattern,
             bool ignoreCase) {
  if (!ignoreCase) return MatchesWildcard(name.c_str(), pattern.c_str());
  return MatchesWildcard(LowerAscii(name).c_str(), LowerAscii(pattern).c_str());
}

// A finding for each key that stands twice in a block: the first counts.
void AddDuplicateKeys(const ScannedBlock& block, std::vector<Finding>& out) {
  for (const ScannedKey* key = block.keys; key != block.keys + block.keyCount;
       ++key) {
    if (key->firstLine == 0) continue;
    out.push_back(Finding{"duplicate-key", Severity::kWarning,
                          "key " + key->name + " stands twice (lines " +
                              std::to_string(key->firstLine) + " and " +
                              std::to_string(key->line) +
                              "): the first counts"});
  }
}

// A DOS device name (with any extension), which Windows finds in every
// directory.
bool IsDeviceName(const std::string& name) {
  std::string base = LowerAscii(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  if (base == "con" || base == "prn" || base == "aux" || base == "nul")
    return true;
  return base.size() == 4 &&
         (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

// Windows' own ways for a piece to match that Linux does not have: a device
// name, its DOS wildcards, an 8.3 short name; empty when the piece uses
// none.
std::string WindowsOnlyMatch(const std::string& name,
                             const std::vector<std::string>& entries) {
  if (IsDeviceName(name))
    return "names a DOS device, which Windows finds in every directory";
  if (name.find_first_of("<>\"") != std::string::npos)
    return "holds one of the DOS wildcards <, > and \", which only Windows "
           "knows";
  const size_t tilde = name.find('~');
  if (tilde != std::string::npos && tilde + 1 < name.size() &&
      name[tilde + 1] >= '1' && name[tilde + 1] <= '9')
    return "looks like an 8.3 short name, which only Windows makes";
  const size_t dot = name.rfind('.');
  if (HasWildcard(name) && dot != std::string::npos && name.size() - dot == 4) {
    for (const std::string& entry : entries) {
      if (MatchesWildcard(entry.c_str(), (name + "?*").c_str()))
        return "would match " + entry +
               " through its 8.3 short name, which only Windows makes";
    }
  }
  return std::string();
}

// For each section of the list, how many of that name (ASCII letters in
// any case) stand before it: the names sorted once, not compared pairwise,
// and not copied, since the list is as long as the file.
std::vector<int> Occurrences(const CStringArray& sections) {
  const auto name = [&sections](size_t i) {
    return CString(sections.GetAt(static_cast<int>(i)));
  };
  std::vector<uint32_t> order(static_cast<size_t>(sections.GetSize()));
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return AsciiTextLess(std::string_view(name(a)), std::string_view(name(b)));
  });
  std::vector<int> occurrences(order.size(), 0);
  for (size_t k = 1; k < order.size(); ++k) {
    if (SameAsciiText(std::string_view(name(order[k])),
                      std::string_view(name(order[k - 1]))))
      occurrences[order[k]] = occurrences[order[k - 1]] + 1;
  }
  return occurrences;
}

}  // namespace

CJobChecker::CJobChecker(CCheckReport& report, bool findingsOnly)
    : m_report(report), m_bFindingsOnly(findingsOnly) {}
CJobChecker::~CJobChecker() = default;

void CJobChecker::Check(const std::string& jobFile,
                        const std::vector<std::string>& only) {
  CRegistryProbe::Probe(m_report);
  CheckLog();
  if (!CheckJobFile(jobFile)) return;
  CIniFile ini;
  ini.SetFileName(m_report.profilePath.c_str());
  CheckDelay(ini);
  CheckGlobalKeys();
  // The monitor's one listing per pass; a name that stands twice is
  // handled twice.
  CStringArray sections;
  ini.GetSectionNames(&sections);
  const std::vector<int> occurrences = Occurrences(sections);
  std::vector<bool> found(only.size(), false);
  for (int i = 0; i < sections.GetSize(); ++i) {
    const CString name = sections.GetAt(i);
    if (IsGlobalSection(name)) continue;
    const std::string section(name);
    bool wanted = only.empty();
    for (size_t k = 0; k < only.size(); ++k) {
      if (!SameAsciiText(only[k], section)) continue;
      wanted = true;
      found[k] = true;
    }
    if (wanted) CheckJob(ini, section, occurrences[static_cast<size_t>(i)]);
  }
  for (size_t k = 0; k < only.size(); ++k) {
    if (found[k]) continue;
    m_report.Add("job-not-found", Severity::kError,
                 "the job file has no job [" + only[k] + "]");
  }
}

bool CJobChecker::CheckJobFile(const std::string& jobFile) {
  m_report.jobFile = jobFile;
  m_report.profilePath = std::string(ProfilePathFor(jobFile.c_str()));
  // The monitor's existence test, wildcards and all.
  CFileFind finder;
  m_report.jobFileFound = finder.FindFile(jobFile.c_str(), 0) != 0;
  if (!m_report.jobFileFound) {
    m_report.Add("job-file-missing", Severity::kError,
                 "no file or directory matches " + jobFile +
                     ": the monitor logs \"Konfigurationsdatei '...' nicht "
                     "gefunden.\" and ends");
    return false;
  }
  std::string bytes, reason;
  m_report.jobFileReadable =
      CFileProbe::Read(OsPath(m_report.profilePath.c_str()), bytes, reason);
  if (!m_report.jobFileReadable) {
    m_report.Add("job-file-unreadable", Severity::kError,
                 "the job file " + m_report.profilePath + " cannot be read (" +
                     reason + "): the monitor runs, but finds no jobs");
    // Not read again: a FIFO would hold the check up. The monitor reads
    // no section and the default Delay.
    m_report.delaySeconds = kDefaultDelay;
    return false;
  }
  m_scan.Scan(bytes);
  ExplainEncoding();
  ExplainStrayKeys();
  return true;
}

void CJobChecker::ExplainEncoding() {
  m_report.jobFileEncoding = m_scan.m_encoding;
  if (m_scan.m_encoding == TextEncoding::kUtf8) {
    m_report.Add("job-file-utf8", Severity::kInfo,
                 "the job file is UTF-8 without a byte order mark: read as "
                 "UTF-8 here, but as Windows-1252 on Windows; save it with a "
                 "mark (or as Windows-1252) to read alike on both");
  }
  if (m_scan.m_bUtf8Text) {
    m_report.Add("job-file-utf8", Severity::kWarning,
                 "the job file holds UTF-8 text without a byte order mark: it "
                 "is read as Windows-1252, so the log and every path show it "
                 "garbled (\""
                 "\xFC"
                 "\" as \""
                 "\xC3\xBC"
                 "\"); save it with a mark");
  }
  if (m_scan.m_nUnmapped > 0) {
    m_report.Add("job-file-unmapped", Severity::kWarning,
                 std::to_string(m_scan.m_nUnmapped) +
                     " character(s) of the job file have no Windows-1252 "
                     "form: they read as \"?\" on Linux, and as \"?\" or a "
                     "look-alike on Windows");
  }
}

// Values that a NUL cuts short, and keys before the first section.
void CJobChecker::ExplainStrayKeys() {
  const auto nulIn = [this](const ScannedKey& key, const std::string& where) {
    if (!key.nulInValue) return;
    m_report.Add("nul-in-value", Severity::kWarning,
                 "the value of " + key.name + " (line " +
                     std::to_string(key.line) + ")" + where +
                     " holds a NUL byte, which ends it: the rest is never "
                     "read");
  };
  for (const ScannedKey& key : m_scan.m_keysBeforeFirstSection) nulIn(key, "");
  for (size_t i = 0; i < m_scan.BlockCount(); ++i) {
    const ScannedBlock block = m_scan.BlockAt(i);
    for (size_t k = 0; k < block.keyCount; ++k)
      nulIn(block.keys[k], " in [" + std::string(block.name) + "]");
  }
  for (const ScannedKey& key : m_scan.m_keysBeforeFirstSection) {
    m_report.Add("key-before-section", Severity::kWarning,
                 "key " + key.name + " (line " + std::to_string(key.line) +
                     ") stands before the first section and belongs to no "
                     "job");
  }
}

void CJobChecker::CheckDelay(CIniFile& ini) {
  const CString text = ini.GetString(kGlobalSection, kDelayKey, nullptr);
  m_report.hasDelay = !text.IsEmpty();
  m_report.delayText = std::string(text);
  // The seconds exactly as the monitor reads them.
  m_report.delaySeconds = ReadDelay(ini);
  const uint32_t seconds = m_report.delaySeconds;
  if (!RunsBackToBack(seconds)) return;
  const std::string& t = m_report.delayText;
  const size_t start = t.find_first_not_of(" \t+-");
  std::string why;
  if (start != std::string::npos && t.compare(start, 2, "0x") == 0) {
    why = "is read in radix 10 as 0";
  } else if (start == std::string::npos || t[start] < '0' || t[start] > '9') {
    why = "is not a number and reads as 0";
  } else if (seconds == 0) {
    why = "is 0";
  } else {
    why = "reads as " + std::to_string(seconds) +
          ", which counts as a negative length";
  }
  m_report.Add("delay-back-to-back", Severity::kWarning,
               "Delay " + Quoted(t) + " " + why +
                   ": passes run back to back, with no sleep; give the "
                   "seconds in decimal");
}

void CJobChecker::CheckGlobalKeys() {
  for (size_t i = 0; i < m_scan.BlockCount(); ++i) {
    const ScannedBlock block = m_scan.BlockAt(i);
    const std::string name(block.name);
    if (!IsGlobalSection(name.c_str())) continue;
    if (m_report.globalSection.empty()) m_report.globalSection = name;
    if (i != m_scan.FirstBlock(name)) {
      m_report.Add("duplicate-section", Severity::kWarning,
                   "the global section stands again at line " +
                       std::to_string(block.line) +
                       ": its keys there are ignored");
      continue;
    }
    AddDuplicateKeys(block, m_report.findings);
    for (size_t k = 0; k < block.keyCount; ++k) {
      const ScannedKey& key = block.keys[k];
      if (SameAsciiText(key.name, kDelayKey)) continue;
      const std::string meant = MeantKey(key.name);
      std::string message = "key " + key.name + " (line " +
                            std::to_string(key.line) + ") in [" + name + "] ";
      if (meant == kDelayKey) {
        m_report.Add("misspelt-key", Severity::kWarning,
                     message + "looks like a misspelt Delay" +
                         (m_report.hasDelay ? ""
                                            : ": no Delay, so a cycle "
                                              "lasts 60 seconds"));
      } else {
        m_report.Add("unknown-key", Severity::kWarning,
                     message +
                         "has no effect: the global section holds "
                         "only Delay and is never a job");
      }
    }
  }
}

void CJobChecker::CheckJob(CIniFile& ini, const std::string& section,
                           int occurrence) {
  JobReport job;
  job.section = section;
  // The decision, with the monitor's code.
  const CString check = ini.GetString(section.c_str(), kCheckKey, nullptr);
  std::vector<CheckedPiece> pieces;
  job.wouldRun = CheckPaths(check, &pieces);
  job.check = std::string(check);
  const size_t firstIndex = m_scan.FirstBlock(section);
  const bool scanned = firstIndex != CJobFileScan::kNone;
  const ScannedBlock first = scanned
                                 ? m_scan.BlockAt(firstIndex)
                                 : ScannedBlock{{}, 0, false, {}, nullptr, 0};
  // The monitor reads Run only for a job that starts: from the scan where
  // it can vouch for the profile functions' answer, without another read
  // of the whole file.
  if (!m_scan.ReadRun(section, job.run))
    job.run = std::string(ini.GetString(section.c_str(), kRunKey, nullptr));

  // Why.
  job.hasCheck = first.hasCheck;
  if (occurrence > 0)
    AddRepeatedSection(section, occurrence, scanned ? &first : nullptr, job);
  // A repeated section reads the first block's keys: its findings are
  // those of the first, and stand there once.
  JobReport repeated;
  ExplainPieces(pieces, occurrence == 0 ? job : repeated, job.pieces);
  if (occurrence == 0) {
    if (scanned) ExplainKeys(first, job);
    ExplainRun(job);
  }
  if (!m_bFindingsOnly || !job.findings.empty())
    m_report.jobs.push_back(std::move(job));
}

void CJobChecker::AddRepeatedSection(const std::string& section, int occurrence,
                                     const ScannedBlock* first,
                                     JobReport& job) const {
  const std::vector<int> later = m_scan.LaterLines(section);
  const int line = static_cast<size_t>(occurrence - 1) < later.size()
                       ? later[static_cast<size_t>(occurrence - 1)]
                       : 0;
  Add(job, "duplicate-section", Severity::kWarning,
      "[" + section + "] stands twice" +
          (line > 0 && first != nullptr
               ? " (lines " + std::to_string(first->line) + " and " +
                     std::to_string(line) + ")"
               : std::string()) +
          ": it runs twice in each pass, and the keys of the second block "
          "are ignored");
}

void CJobChecker::ExplainPieces(const std::vector<CheckedPiece>& pieces,
                                JobReport& explained,
                                std::vector<PieceReport>& out) {
  std::string before;
  for (size_t i = 0; i < pieces.size(); ++i) {
    PieceReport piece{std::string(pieces[i].path), OsPath(pieces[i].path),
                      pieces[i].found, "", ""};
    ExplainPiece(piece.text, before, static_cast<int>(i) + 1,
                 i + 1 == pieces.size(), piece, explained);
    before = piece.text;
    out.push_back(piece);
  }
}

void CJobChecker::ExplainPiece(const std::string& piece,
                               const std::string& before, int number, bool last,
                               PieceReport& out, JobReport& job) {
  const std::string label = "Check piece " + std::to_string(number) + " ";
  if (piece.empty()) {
    out.reason = "empty";
    Add(job, "empty-piece", Severity::kError,
        label +
            "is empty (a \";\" at the start or \";;\"): it never matches, so "
            "this job can never run");
    return;
  }
  const PieceParts parts = SplitPiece(out.path);
  if (out.match) {
    for (const std::string& entry : parts.names) {
      if (Matches(entry, parts.name, parts.ignoreCase)) {
        out.firstMatch = entry;
        break;
      }
    }
    return;
  }
  const std::string what = label + Quoted(piece);
  const Miss miss = ClassifyMiss(what, out.path, parts, out, job);
  if (miss == Miss::kNeverMatches) return;
  if (miss == Miss::kNoEntry) AddNearNames(what, parts, job);
  AddBlankHints(what, piece, before, last, job);
}

CJobChecker::PieceParts CJobChecker::SplitPiece(const std::string& osPath) {
  PieceParts parts;
  const size_t cut = osPath.find_last_of(CFileProbe::Separators());
  const std::string osDirectory =
      cut == std::string::npos ? "" : osPath.substr(0, cut == 0 ? 1 : cut);
  parts.osListed = osDirectory.empty() ? "." : osDirectory;
  // Reports are the program's text; names on disk are read as the finder
  // reads them.
  parts.path = TextFromOsPath(osPath);
  parts.directory = TextFromOsPath(osDirectory);
  parts.name = TextFromOsPath(
      cut == std::string::npos ? osPath : osPath.substr(cut + 1));
  parts.listed = TextFromOsPath(parts.osListed);
  parts.ignoreCase = CFileProbe::NamesIgnoreCase();
  parts.canList = CFileProbe::List(parts.osListed, parts.names);
  for (std::string& entry : parts.names) entry = TextFromOsPath(entry);
  return parts;
}

bool CJobChecker::NeverMatches(const std::string& what,
                               const std::string& osPath,
                               const PieceParts& parts, PieceReport& out,
                               JobReport& job) {
  if (!osPath.empty() &&
      strchr(CFileProbe::Separators(), osPath.back()) != nullptr) {
    out.reason = "ends in a separator";
    Add(job, "separator-at-end", Severity::kError,
        what +
            " ends in a separator, and such a path matches nothing: this "
            "job can never run");
    return true;
  }
  if (HasWildcard(parts.directory)) {
    out.reason = "wildcard in a directory part";
    Add(job, "wildcard-in-directory", Severity::kError,
        what +
            " has a wildcard before its last component: wildcards count "
            "only in the last one, so it never matches and this job can "
            "never run");
    return true;
  }
  return false;
}

CJobChecker::Miss CJobChecker::ClassifyMiss(const std::string& what,
                                            const std::string& osPath,
                                            const PieceParts& parts,
                                            PieceReport& out, JobReport& job) {
  // The plainest cause first: the piece's form.
  if (NeverMatches(what, osPath, parts, out, job)) return Miss::kNeverMatches;
  const PathKind kind = CFileProbe::Kind(parts.osListed);
  if (kind == PathKind::kMissing) {
    out.reason = "directory missing: " + parts.listed;
  } else if (kind == PathKind::kDenied ||
             (kind == PathKind::kDirectory && !parts.canList)) {
    out.reason = "permission denied: " + parts.listed;
    Add(job, "permission-denied", Severity::kWarning,
        what + ": " + parts.listed +
            " cannot be read by this user, so nothing in it ever matches");
  } else if (kind != PathKind::kDirectory) {
    out.reason = "not a directory: " + parts.listed;
    Add(job, "not-a-directory", Severity::kWarning,
        what + ": " + parts.listed + " is not a directory");
  } else if (!HasWildcard(parts.name) &&
             CFileProbe::Kind(osPath) == PathKind::kDenied) {
    out.reason = "permission denied: " + parts.path;
    Add(job, "permission-denied", Severity::kWarning,
        what + ": " + parts.path + " cannot be looked at by this user");
  } else {
    out.reason =
        "no entry matches " + Quoted(parts.name) + " in " + parts.listed;
    return Miss::kNoEntry;
  }
  return Miss::kExplained;
}

void CJobChecker::AddNearNames(const std::string& what, const PieceParts& parts,
                               JobReport& job) {
  const std::string windowsOnly = WindowsOnlyMatch(parts.name, parts.names);
  if (!windowsOnly.empty()) {
    Add(job, "windows-only-match", Severity::kWarning,
        what + " " + windowsOnly + ": it matches there, not here");
  }
  if (parts.ignoreCase) return;
  for (const std::string& entry : parts.names) {
    if (Matches(entry, parts.name, true)) {
      Add(job, "letter-case", Severity::kWarning,
          what + ": " + Quoted(entry) +
              " is there, but here letter case counts in names");
      break;
    }
  }
  const size_t dotStar = parts.name.find("*.*");
  if (dotStar == std::string::npos) return;
  std::string any = parts.name;
  any.replace(dotStar, 3, "*");
  for (const std::string& entry : parts.names) {
    if (Matches(entry, any, false)) {
      Add(job, "dot-star", Severity::kWarning,
          what + ": " + Quoted(entry) +
              " has no dot, and here \"*.*\" needs one; write \"*\" for "
              "any name");
      break;
    }
  }
}

void CJobChecker::AddBlankHints(const std::string& what,
                                const std::string& piece,
                                const std::string& before, bool last,
                                JobReport& job) {
  // Blanks at the end are dropped with the trailing dots, as Win32 does.
  const bool blankStart = IsBlank(piece.front());
  // "a ; wait for a" or "a;# note": the last piece, words after a blank.
  const size_t text = piece.find_first_not_of(" \t");
  const bool comment =
      last && text != std::string::npos &&
      ((blankStart && !before.empty() && IsBlank(before.back()) &&
        piece.find_first_of(" \t", text) != std::string::npos) ||
       piece[text] == '#' || piece.compare(text, 2, "//") == 0);
  if (comment) {
    Add(job, "comment-in-check", Severity::kWarning,
        what +
            " looks like a comment, but a job file has none after a "
            "value: it is a path that must match");
  } else if (blankStart) {
    Add(job, "blank-in-piece", Severity::kWarning,
        what +
            " has a blank at its start, which is part of the path: write "
            "\";\" without blanks");
  }
}

void CJobChecker::ExplainKeys(const ScannedBlock& block, JobReport& job) {
  AddDuplicateKeys(block, job.findings);
  for (size_t k = 0; k < block.keyCount; ++k) {
    const ScannedKey& key = block.keys[k];
    if (SameAsciiText(key.name, kCheckKey) ||
        SameAsciiText(key.name, kRunKey)) {
      continue;
    }
    const std::string where =
        "key " + key.name + " (line " + std::to_string(key.line) + ")";
    const std::string meant = MeantKey(key.name);
    if (meant == kCheckKey) {
      Add(job, "misspelt-key", Severity::kWarning,
          where + " looks like a misspelt Check" +
              (job.check.empty() ? ": no Check, so this job runs in every cycle"
                                 : std::string()));
    } else if (meant == kRunKey) {
      Add(job, "misspelt-key", Severity::kWarning,
          where + " looks like a misspelt Run" +
              (job.run.empty() ? ": no Run, so nothing starts"
                               : std::string()));
    } else if (meant == kDelayKey) {
      Add(job, "misplaced-key", Severity::kWarning,
          where + ": Delay counts only in the [Quillspur] section");
    } else {
      Add(job, "unknown-key", Severity::kWarning,
          where + " is not a key of a job (Check, Run) and is ignored");
    }
  }
}

void CJobChecker::ExplainRun(JobReport& job) {
  if (job.run.empty()) {
    Add(job, "run-empty", Severity::kWarning,
        std::string(job.wouldRun ? "" : "when it runs, ") +
            "Run is empty: \"Starte Programm: \" is logged and nothing "
            "starts");
    return;
  }
  std::string word, where;
  if (CCommandLookup::LookUp(job.run, word, where) != CommandState::kNotFound) {
    return;
  }
  Add(job, "run-not-found", Severity::kWarning,
      "Run starts " + Quoted(word) +
          ", which is not found on this process's PATH" +
          (where.empty() ? std::string() : " (" + where + ")"));
}

void CJobChecker::CheckLog() {
  LogReport& log = m_report.log;
  log.directory = std::string(
      CInstallPath::LogDirectoryBelow(m_report.registry.installPath.c_str()));
  CLogFile file;
  file.SetName(log.directory.c_str(), kGlobalSection);
  log.file = std::string(file.GetPath());
  log.osFile = OsPath(file.GetPath());
  const std::string directory = log.directory.empty()
                                    ? CFileProbe::RootDirectory()
                                    : OsPath(log.directory.c_str());
  log.directoryExists = CFileProbe::Kind(directory) == PathKind::kDirectory;
  log.fileExists = CFileProbe::Kind(log.osFile) == PathKind::kFile;
  log.writable = log.directoryExists &&
                 (log.fileExists ? CFileProbe::MayAppendTo(log.osFile)
                                 : CFileProbe::MayCreateIn(directory));
  if (log.fileExists) CFileProbe::Size(log.osFile, log.size);
  const uint64_t limit = static_cast<uint64_t>(kLogLimit);
  log.bytesLeft = log.size > limit ? 0 : limit - log.size;
  if (log.directory.empty()) {
    m_report.Add("log-root-fallback", Severity::kError,
                 "no installation directory, so the log goes to " + log.file +
                     " in the root directory");
  } else if (!log.directoryExists) {
    m_report.Add("log-directory-missing", Severity::kError,
                 "the log directory " + log.directory +
                     " does not exist, and it is never created: every "
                     "message is lost");
  } else if (!log.writable) {
    m_report.Add(
        "log-not-writable", Severity::kError,
        "the log " + log.file + " cannot be written: every message is lost");
  }
}
