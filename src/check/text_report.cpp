#include "text_report.h"

#include "install_path.h"
#include "os_path.h"

namespace {

std::string YesNo(bool value, const char* yes, const char* no) {
  return value ? yes : no;
}

void AddFindings(std::string& out, const std::vector<Finding>& findings,
                 const std::string& prefix) {
  for (const Finding& f : findings) {
    out += prefix + SeverityName(f.severity) + ": " + f.message + " [" +
           f.code + "]\n";
  }
}

void AddHead(std::string& out, const CCheckReport& r) {
  out += "job file  " + r.jobFile;
  if (r.profilePath != r.jobFile) out += " (read as " + r.profilePath + ")";
  if (!r.jobFileFound) {
    out += ": not found\n";
  } else {
    out += r.jobFileReadable ? ": found, readable" : ": found, cannot be read";
    if (r.jobFileEncoding != TextEncoding::kWindows1252) {
      out += std::string(", ") + TextEncodingName(r.jobFileEncoding) +
             ", read as Windows-1252";
    }
    out += "\n";
    out += "delay     " +
           (r.hasDelay ? "\"" + r.delayText + "\"" : std::string("none")) +
           (r.globalSection.empty() ? " (no global section)"
                                    : " in [" + r.globalSection + "]") +
           ": " + std::to_string(r.delaySeconds) + " seconds\n";
  }
  const RegistryReport& g = r.registry;
  out += "registry  " + g.store + " (" + g.storeSource + ")";
  if (!g.storeExists) out += ": does not exist";
  out +=
      YesNo(g.storeReadable && g.storeIsRegistryFile, "", ": cannot be read") +
      "\n";
  const char* key = g.keyExists             ? "present"
                    : g.storeIsRegistryFile ? "missing"
                                            : "not known";
  out += "          key HKEY_LOCAL_MACHINE\\" +
         std::string(CInstallPath::kProductKey) + ": " + key +
         "; the monitor's open " +
         YesNo(g.monitorOpens, "would succeed",
               "for writing would be refused, so it reads the key read-only") +
         "\n";
  if (g.keyExists) {
    out += "          Path: ";
    if (!g.pathPresent) {
      out += "missing\n";
    } else {
      out += g.pathType + ", " + std::to_string(g.pathSize) + " bytes" +
             (g.pathRead ? ": " + g.installPath : ": not read") + "\n";
    }
  }
  const LogReport& l = r.log;
  out += "log       " + l.file;
  if (l.osFile != l.file) out += " as " + TextFromOsPath(l.osFile);
  out += ": ";
  if (!l.directoryExists) {
    out += "no directory\n";
  } else {
    out += YesNo(l.writable, "writable", "not writable");
    if (l.fileExists) {
      out += ", " + std::to_string(l.size) + " bytes, " +
             std::to_string(l.bytesLeft) + " left before it moves to .old";
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
    const PieceReport& p = job.pieces[i];
    std::string label = "  Check " + std::to_string(i + 1);
    label.resize(12, ' ');
    out += label + "\"" + p.text + "\"";
    if (p.path != p.text) out += " as " + TextFromOsPath(p.path);
    if (p.match) {
      out +=
          ": match" + (p.firstMatch.empty() ? "" : " (" + p.firstMatch + ")");
    } else {
      out += ": no match: " + p.reason;
    }
    out += "\n";
  }
  out += "  Run       " + job.run + "\n";
  AddFindings(out, job.findings, "  ");
}

}  // namespace

std::string CTextReport::Format(const CCheckReport& r, bool findingsOnly) {
  std::string out;
  if (findingsOnly) {
    AddFindings(out, r.findings, "");
    for (const JobReport& job : r.jobs) {
      AddFindings(out, job.findings, "[" + job.section + "] ");
    }
    return out;
  }
  AddHead(out, r);
  AddFindings(out, r.findings, "  ");
  for (const JobReport& job : r.jobs) AddJob(out, job);
  const int errors = r.Errors();
  const int warnings = r.Warnings();
  out += "\n" + std::to_string(errors) +
         (errors == 1 ? " error, " : " errors, ") + std::to_string(warnings) +
         (warnings == 1 ? " warning\n" : " warnings\n");
  return out;
}
