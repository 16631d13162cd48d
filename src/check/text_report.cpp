#include "check/text_report.h"

#include "platform/os_path.h"
#include "registry/install_path.h"

namespace {

std::string YesNo(bool value, const char* yes, const char* no) {
  return value ? yes : no;
}

void AddFindings(std::string& out, const std::vector<Finding>& findings,
                 const std::string& prefix) {
  for (const Finding& finding : findings) {
    out += prefix + SeverityName(finding.severity) + ": " + finding.message +
           " [" + finding.code + "]\n";
  }
}

void AddJobFile(std::string& out, const CCheckReport& report) {
  out += "job file  " + report.jobFile;
  if (report.profilePath != report.jobFile)
    out += " (read as " + report.profilePath + ")";
  if (!report.jobFileFound) {
    out += ": not found\n";
  } else {
    out += report.jobFileReadable ? ": found, readable"
                                  : ": found, cannot be read";
    if (report.jobFileEncoding != TextEncoding::kWindows1252) {
      out += std::string(", ") + TextEncodingName(report.jobFileEncoding) +
             ", read as Windows-1252";
    }
    out += "\n";
    out +=
        "delay     " +
        (report.hasDelay ? "\"" + report.delayText + "\""
                         : std::string("none")) +
        (report.globalSection.empty() ? " (no global section)"
                                      : " in [" + report.globalSection + "]") +
        ": " + std::to_string(report.delaySeconds) + " seconds\n";
  }
}

void AddRegistry(std::string& out, const RegistryReport& registry) {
  out += "registry  " + registry.store + " (" + registry.storeSource + ")";
  if (!registry.storeExists) out += ": does not exist";
  out += YesNo(registry.storeReadable && registry.storeIsRegistryFile, "",
               ": cannot be read") +
         "\n";
  const char* key = registry.keyExists             ? "present"
                    : registry.storeIsRegistryFile ? "missing"
                                                   : "not known";
  out += "          key HKEY_LOCAL_MACHINE\\" +
         std::string(CInstallPath::kProductKey) + ": " + key +
         "; the monitor's open " +
         YesNo(registry.monitorOpens, "would succeed",
               "for writing would be refused, so it reads the key read-only") +
         "\n";
  if (registry.keyExists) {
    out += "          Path: ";
    if (!registry.pathPresent) {
      out += "missing\n";
    } else {
      out += registry.pathType + ", " + std::to_string(registry.pathSize) +
             " bytes" +
             (registry.pathRead ? ": " + registry.installPath : ": not read") +
             "\n";
    }
  }
}

void AddLog(std::string& out, const LogReport& log) {
  out += "log       " + log.file;
  if (log.osFile != log.file) out += " as " + TextFromOsPath(log.osFile);
  out += ": ";
  if (!log.directoryExists) {
    out += "no directory\n";
  } else {
    out += YesNo(log.writable, "writable", "not writable");
    if (log.fileExists) {
      out += ", " + std::to_string(log.size) + " bytes, " +
             std::to_string(log.bytesLeft) + " left before it moves to .old";
    } else {
      out += ", not there yet";
    }
    out += "\n";
  }
}

void AddJob(std::string& out, const JobReport& job) {
  out += "\n[" + job.section + "]  " +
         YesNo(job.wouldRun, "would run", "would not run") + "\n";
  if (job.pieces.empty()) {
    out += std::string("  Check     ") + (job.hasCheck ? "empty" : "none") +
           ": passes, so the job runs in every cycle\n";
  }
  for (size_t i = 0; i < job.pieces.size(); ++i) {
    const PieceReport& piece = job.pieces[i];
    std::string label = "  Check " + std::to_string(i + 1);
    label.resize(12, ' ');
    out += label + "\"" + piece.text + "\"";
    if (piece.path != piece.text) out += " as " + TextFromOsPath(piece.path);
    if (piece.match) {
      out += ": match" +
             (piece.firstMatch.empty() ? "" : " (" + piece.firstMatch + ")");
    } else {
      out += ": no match: " + piece.reason;
    }
    out += "\n";
  }
  out += "  Run       " + job.run + "\n";
  AddFindings(out, job.findings, "  ");
}

}  // namespace

std::string CTextReport::Format(const CCheckReport& report, bool findingsOnly) {
  std::string out;
  if (findingsOnly) {
    AddFindings(out, report.findings, "");
    for (const JobReport& job : report.jobs) {
      AddFindings(out, job.findings, "[" + job.section + "] ");
    }
    return out;
  }
  AddJobFile(out, report);
  AddRegistry(out, report.registry);
  AddLog(out, report.log);
  AddFindings(out, report.findings, "  ");
  for (const JobReport& job : report.jobs) AddJob(out, job);
  const int errors = report.Errors();
  const int warnings = report.Warnings();
  out += "\n" + std::to_string(errors) +
         (errors == 1 ? " error, " : " errors, ") + std::to_string(warnings) +
         (warnings == 1 ? " warning\n" : " warnings\n");
  return out;
}
