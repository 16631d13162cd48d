#include "json_report.h"

#include <stdio.h>

#include "code_page.h"
#include "json_text.h"
#include "os_path.h"

namespace {

void AddFindings(std::string& out, const std::vector<Finding>& findings,
                 const char* indent) {
  if (findings.empty()) {
    out += "[]";
    return;
  }
  out += '[';
  for (size_t i = 0; i < findings.size(); ++i) {
    const Finding& f = findings[i];
    out += i ? ",\n" : "\n";
    out += indent;
    AddText(out, "  {\"code\": ", f.code);
    AddText(out, ", \"severity\": ", SeverityName(f.severity));
    AddText(out, ", \"message\": ", f.message);
    out += '}';
  }
  out += '\n';
  out += indent;
  out += ']';
}

void AddJob(std::string& out, const JobReport& job) {
  AddText(out, "    {\n      \"section\": ", job.section);
  AddBool(out, ",\n      \"would_run\": ", job.wouldRun);
  AddText(out, ",\n      \"check\": ", job.check);
  AddText(out, ",\n      \"run\": ", job.run);
  out += ",\n      \"pieces\": [";
  for (size_t i = 0; i < job.pieces.size(); ++i) {
    const PieceReport& p = job.pieces[i];
    out += i ? ",\n" : "\n";
    AddText(out, "        {\"text\": ", p.text);
    AddText(out, ", \"path\": ", TextFromOsPath(p.path));
    AddBool(out, ", \"match\": ", p.match);
    AddTextOrNull(out, ", \"first_match\": ", !p.firstMatch.empty(),
                  p.firstMatch);
    AddTextOrNull(out, ", \"reason\": ", !p.match, p.reason);
    out += '}';
  }
  out += job.pieces.empty() ? "],\n" : "\n      ],\n";
  out += "      \"findings\": ";
  AddFindings(out, job.findings, "      ");
  out += "\n    }";
}

}  // namespace

std::string CJsonReport::Format(const CCheckReport& r) {
  const RegistryReport& g = r.registry;
  const LogReport& l = r.log;
  std::string out;
  AddNumber(out, "{\n  \"version\": ", kJsonSchemaVersion);
  out += ",\n  \"mode\": \"check\"";
  AddText(out, ",\n  \"job_file\": ", r.jobFile);
  AddText(out, ",\n  \"profile_path\": ", r.profilePath);
  AddBool(out, ",\n  \"job_file_found\": ", r.jobFileFound);
  AddBool(out, ",\n  \"job_file_readable\": ", r.jobFileReadable);
  AddText(out,
          ",\n  \"job_file_encoding\": ", TextEncodingName(r.jobFileEncoding));
  AddTextOrNull(out, ",\n  \"global_section\": ", !r.globalSection.empty(),
                r.globalSection);
  AddTextOrNull(out, ",\n  \"delay\": {\"text\": ", r.hasDelay, r.delayText);
  AddNumber(out, ", \"seconds\": ", r.delaySeconds);
  AddText(out, "},\n  \"registry\": {\"store\": ", g.store);
  AddText(out, ", \"store_source\": ", g.storeSource);
  AddBool(out, ", \"store_exists\": ", g.storeExists);
  AddBool(out, ", \"store_readable\": ", g.storeReadable);
  AddBool(out, ", \"registry_file\": ", g.storeIsRegistryFile);
  AddBool(out, ", \"key_exists\": ", g.keyExists);
  AddBool(out, ", \"monitor_opens\": ", g.monitorOpens);
  AddTextOrNull(out, ", \"path_type\": ", g.pathPresent, g.pathType);
  AddNumber(out, ", \"path_size\": ", g.pathSize);
  AddBool(out, ", \"path_read\": ", g.pathRead);
  AddText(out, ", \"install_path\": ", g.installPath);
  AddText(out, "},\n  \"log\": {\"directory\": ", l.directory);
  AddText(out, ", \"file\": ", l.file);
  AddBool(out, ", \"directory_exists\": ", l.directoryExists);
  AddBool(out, ", \"writable\": ", l.writable);
  AddNumber(out, ", \"size\": ", l.size);
  AddNumber(out, ", \"bytes_left\": ", l.bytesLeft);
  out += "},\n  \"findings\": ";
  AddFindings(out, r.findings, "  ");
  out += ",\n  \"jobs\": [";
  for (size_t i = 0; i < r.jobs.size(); ++i) {
    out += i ? ",\n" : "\n";
    AddJob(out, r.jobs[i]);
  }
  out += r.jobs.empty() ? "]" : "\n  ]";
  AddNumber(out, ",\n  \"summary\": {\"errors\": ", r.Errors());
  AddNumber(out, ", \"warnings\": ", r.Warnings());
  out += "}\n}\n";
  return out;
}
