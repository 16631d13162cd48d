#include "check/json_report.h"

#include <stdio.h>

#include "check/json_text.h"
#include "platform/code_page.h"
#include "platform/os_path.h"

namespace {

void AddFindings(std::string& out, const std::vector<Finding>& findings,
                 const char* indent) {
  if (findings.empty()) {
    out += "[]";
    return;
  }
  out += '[';
  for (size_t i = 0; i < findings.size(); ++i) {
    const Finding& finding = findings[i];
    out += i ? ",\n" : "\n";
    out += indent;
    AddText(out, "  {\"code\": ", finding.code);
    AddText(out, ", \"severity\": ", SeverityName(finding.severity));
    AddText(out, ", \"message\": ", finding.message);
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
    const PieceReport& piece = job.pieces[i];
    out += i ? ",\n" : "\n";
    AddText(out, "        {\"text\": ", piece.text);
    AddText(out, ", \"path\": ", TextFromOsPath(piece.path));
    AddBool(out, ", \"match\": ", piece.match);
    AddTextOrNull(out, ", \"first_match\": ", !piece.firstMatch.empty(),
                  piece.firstMatch);
    AddTextOrNull(out, ", \"reason\": ", !piece.match, piece.reason);
    out += '}';
  }
  out += job.pieces.empty() ? "],\n" : "\n      ],\n";
  out += "      \"findings\": ";
  AddFindings(out, job.findings, "      ");
  out += "\n    }";
}

void AddRegistry(std::string& out, const RegistryReport& registry) {
  AddText(out, "},\n  \"registry\": {\"store\": ", registry.store);
  AddText(out, ", \"store_source\": ", registry.storeSource);
  AddBool(out, ", \"store_exists\": ", registry.storeExists);
  AddBool(out, ", \"store_readable\": ", registry.storeReadable);
  AddBool(out, ", \"registry_file\": ", registry.storeIsRegistryFile);
  AddBool(out, ", \"key_exists\": ", registry.keyExists);
  AddBool(out, ", \"monitor_opens\": ", registry.monitorOpens);
  AddTextOrNull(out, ", \"path_type\": ", registry.pathPresent,
                registry.pathType);
  AddNumber(out, ", \"path_size\": ", registry.pathSize);
  AddBool(out, ", \"path_read\": ", registry.pathRead);
  AddText(out, ", \"install_path\": ", registry.installPath);
}

void AddLog(std::string& out, const LogReport& log) {
  AddText(out, "},\n  \"log\": {\"directory\": ", log.directory);
  AddText(out, ", \"file\": ", log.file);
  AddBool(out, ", \"directory_exists\": ", log.directoryExists);
  AddBool(out, ", \"writable\": ", log.writable);
  AddNumber(out, ", \"size\": ", log.size);
  AddNumber(out, ", \"bytes_left\": ", log.bytesLeft);
}

}  // namespace

std::string CJsonReport::Format(const CCheckReport& report) {
  std::string out;
  AddNumber(out, "{\n  \"version\": ", kJsonSchemaVersion);
  out += ",\n  \"mode\": \"check\"";
  AddText(out, ",\n  \"job_file\": ", report.jobFile);
  AddText(out, ",\n  \"profile_path\": ", report.profilePath);
  AddBool(out, ",\n  \"job_file_found\": ", report.jobFileFound);
  AddBool(out, ",\n  \"job_file_readable\": ", report.jobFileReadable);
  AddText(out, ",\n  \"job_file_encoding\": ",
          TextEncodingName(report.jobFileEncoding));
  AddTextOrNull(out, ",\n  \"global_section\": ", !report.globalSection.empty(),
                report.globalSection);
  AddTextOrNull(out, ",\n  \"delay\": {\"text\": ", report.hasDelay,
                report.delayText);
  AddNumber(out, ", \"seconds\": ", report.delaySeconds);
  AddRegistry(out, report.registry);
  AddLog(out, report.log);
  out += "},\n  \"findings\": ";
  AddFindings(out, report.findings, "  ");
  out += ",\n  \"jobs\": [";
  for (size_t i = 0; i < report.jobs.size(); ++i) {
    out += i ? ",\n" : "\n";
    AddJob(out, report.jobs[i]);
  }
  out += report.jobs.empty() ? "]" : "\n  ]";
  AddNumber(out, ",\n  \"summary\": {\"errors\": ", report.Errors());
  AddNumber(out, ", \"warnings\": ", report.Warnings());
  out += "}\n}\n";
  return out;
}
