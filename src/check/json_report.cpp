#include "json_report.h"

#include <stdio.h>

#include "cp1252.h"

namespace {

const int kSchemaVersion = 1;

std::string Text(const std::string& text) {
  std::string out = "\"";
  for (const char c : Cp1252ToUtf8(text)) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escape[8];
      (void)snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string Findings(const std::vector<Finding>& findings,
                     const std::string& indent) {
  if (findings.empty()) return "[]";
  std::string out = "[";
  for (size_t i = 0; i < findings.size(); ++i) {
    const Finding& f = findings[i];
    out += (i ? ",\n" : "\n") + indent + "  {\"code\": " + Text(f.code) +
           ", \"severity\": " + Text(SeverityName(f.severity)) +
           ", \"message\": " + Text(f.message) + "}";
  }
  return out + "\n" + indent + "]";
}

std::string Job(const JobReport& job) {
  std::string out = "    {\n      \"section\": " + Text(job.section) +
                    ",\n      \"would_run\": " + Bool(job.wouldRun) +
                    ",\n      \"check\": " + Text(job.check) +
                    ",\n      \"run\": " + Text(job.run) +
                    ",\n      \"pieces\": [";
  for (size_t i = 0; i < job.pieces.size(); ++i) {
    const PieceReport& p = job.pieces[i];
    out += std::string(i ? ",\n" : "\n") +
           "        {\"text\": " + Text(p.text) +
           ", \"path\": " + Text(p.path) + ", \"match\": " + Bool(p.match) +
           ", \"first_match\": " +
           (p.firstMatch.empty() ? "null" : Text(p.firstMatch)) +
           ", \"reason\": " + (p.match ? "null" : Text(p.reason)) + "}";
  }
  out += std::string(job.pieces.empty() ? "" : "\n      ") + "],\n";
  out += "      \"findings\": " + Findings(job.findings, "      ") + "\n    }";
  return out;
}

}  // namespace

std::string CJsonReport::Format(const CCheckReport& r) {
  const RegistryReport& g = r.registry;
  const LogReport& l = r.log;
  std::string out = "{\n  \"version\": " + std::to_string(kSchemaVersion) +
                    ",\n  \"job_file\": " + Text(r.jobFile) +
                    ",\n  \"profile_path\": " + Text(r.profilePath) +
                    ",\n  \"job_file_found\": " + Bool(r.jobFileFound) +
                    ",\n  \"job_file_readable\": " + Bool(r.jobFileReadable) +
                    ",\n  \"global_section\": " +
                    (r.globalSection.empty() ? "null" : Text(r.globalSection)) +
                    ",\n  \"delay\": {\"text\": " +
                    (r.hasDelay ? Text(r.delayText) : "null") +
                    ", \"seconds\": " + std::to_string(r.delaySeconds) + "}";
  out += ",\n  \"registry\": {\"store\": " + Text(g.store) +
         ", \"store_source\": " + Text(g.storeSource) +
         ", \"store_exists\": " + Bool(g.storeExists) +
         ", \"store_readable\": " + Bool(g.storeReadable) +
         ", \"registry_file\": " + Bool(g.storeIsRegistryFile) +
         ", \"key_exists\": " + Bool(g.keyExists) +
         ", \"monitor_opens\": " + Bool(g.monitorOpens) +
         ", \"path_type\": " + (g.pathPresent ? Text(g.pathType) : "null") +
         ", \"path_size\": " + std::to_string(g.pathSize) +
         ", \"path_read\": " + Bool(g.pathRead) +
         ", \"install_path\": " + Text(g.installPath) + "}";
  out += ",\n  \"log\": {\"directory\": " + Text(l.directory) +
         ", \"file\": " + Text(l.file) +
         ", \"directory_exists\": " + Bool(l.directoryExists) +
         ", \"writable\": " + Bool(l.writable) +
         ", \"size\": " + std::to_string(l.size) +
         ", \"bytes_left\": " + std::to_string(l.bytesLeft) + "}";
  out += ",\n  \"findings\": " + Findings(r.findings, "  ");
  out += ",\n  \"jobs\": [";
  for (size_t i = 0; i < r.jobs.size(); ++i) {
    out += std::string(i ? ",\n" : "\n") + Job(r.jobs[i]);
  }
  out += std::string(r.jobs.empty() ? "" : "\n  ") + "]";
  out += ",\n  \"summary\": {\"errors\": " + std::to_string(r.Errors()) +
         ", \"warnings\": " + std::to_string(r.Warnings()) + "}\n}\n";
  return out;
}
