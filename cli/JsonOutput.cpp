#include "JsonOutput.h"

#include <cstdio>

#include "results/Finding.h"
#include "results/ItemKind.h"

namespace quill::cli::json_output {

namespace {

using nlohmann::json;

struct Document {
  bool enabled = false;
  bool written = false;
  json body = json::object();
  json errors = json::array();
  json runs = json::array();
  json run;  // the scan run open now, or null
};

Document& TheDocument() {
  static Document document;
  return document;
}

// The kind of a results row by its icon.
const char* KindOf(int smallIcon) {
  switch (smallIcon) {
    case kItemCookie:
      return "cookie";
    case kItemRegistry:
      return "registry";
    case kItemFile:
      return "file";
    case kItemFolder:
      return "folder";
    default:
      return "item";
  }
}

json FindingJson(const char* kind, const std::string& name, const std::string& location,
                 const char* state) {
  return {{"kind", kind}, {"name", name},  {"location", location}, {"type", ""},
          {"risk", ""},   {"details", ""}, {"state", state}};
}

}  // namespace

void Enable(const std::string& command) {
  TheDocument().enabled = true;
  TheDocument().body["command"] = command;
}

bool Enabled() {
  return TheDocument().enabled;
}

json& Body() {
  return TheDocument().body;
}

void AddError(const std::string& message) {
  Document& document = TheDocument();
  if (!document.enabled) return;
  (document.run.is_object() ? document.run["errors"] : document.errors).push_back(message);
}

void BeginScanRun(const std::string& prefix) {
  TheDocument().run = {{"prefix", prefix},
                       {"findings", json::array()},
                       {"counts", {{"found", 0}, {"removed", 0}}},
                       {"notExamined", json::array()},
                       {"errors", json::array()}};
}

json& CurrentScanRun() {
  return TheDocument().run;
}

void EndScanRun(int status) {
  Document& document = TheDocument();
  document.run["status"] = status;
  document.runs.push_back(std::move(document.run));
  document.run = json();
}

json Findings(const FindingList& found, bool afterRemoval) {
  json findings = json::array();
  for (const Finding& f : found.Items())
    if (f.state == FindingState::Protected)
      findings.push_back(FindingJson("item", "", f.location, "protected"));
  for (const Finding& f : found.Items()) {
    if (!f.Listed()) continue;
    // After --remove a script learns what went and what is still there.
    const char* state = f.state == FindingState::Removed ? "removed"
                        : afterRemoval                   ? "remaining"
                                                         : "found";
    json finding = FindingJson(KindOf(f.ResultIcon()), f.name, f.location, state);
    finding["type"] = f.threatType;
    finding["risk"] = f.risk;
    finding["details"] = f.details;
    findings.push_back(std::move(finding));
  }
  for (const Finding& f : found.Items()) {
    if (f.state == FindingState::Stopped)
      findings.push_back(FindingJson("process", f.ProgressText(), f.ProgressDetail(), "stopped"));
    else if (f.state == FindingState::Excluded)
      findings.push_back(FindingJson("item", f.ProgressText(), f.ProgressDetail(), "excluded"));
  }
  return findings;
}

void Write(int status) {
  Document& document = TheDocument();
  if (!document.enabled || document.written) return;
  document.written = true;
  json out = {{"version", kVersion}, {"status", status}};
  out.update(document.body);
  if (document.body["command"] == "scan") out["runs"] = document.runs;
  out["errors"] = document.errors;
  // Names on a Windows machine need not be valid UTF-8: such bytes are replaced, never
  // allowed to end the document half-written.
  const std::string text = out.dump(2, ' ', false, json::error_handler_t::replace);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace quill::cli::json_output
