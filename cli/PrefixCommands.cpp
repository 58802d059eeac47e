#include <algorithm>
#include <cstdio>

#include "Commands.h"
#include "JsonOutput.h"
#include "base/Text.h"
#include "platform/PrefixDiscovery.h"

// The commands over every Wine prefix of the user: the list, and a scan of each.
namespace quill::cli {

namespace {

std::string Field(const std::string& value) {
  return text::ReplaceAll(text::ReplaceAll(value, "\t", " "), "\n", " ");
}

// What one prefix's exit status says, in the summary's words.
const char* OutcomeName(int status, bool remove) {
  if (status == kNothingFound) return remove ? "cleaned" : "nothing found";
  if (status == kFound) return remove ? "items left" : "found";
  return "not completed";
}

}  // namespace

int ListPrefixes() {
  auto& listed = json_output::Body()["prefixes"] = nlohmann::json::array();
  for (const platform::FoundPrefix& prefix :
       platform::DiscoverPrefixes(platform::PrefixSearchPlaces::OfCurrentUser())) {
    if (json_output::Enabled()) {
      listed.push_back({{"path", prefix.path}, {"source", prefix.source}, {"name", prefix.name}});
      continue;
    }
    std::printf("%s\t%s\t%s\n", Field(prefix.path).c_str(), prefix.source.c_str(),
                Field(prefix.name).c_str());
  }
  return kNothingFound;
}

int ScanAllPrefixes(const std::function<int(const std::string& prefix)>& scanOne, bool remove) {
  const auto prefixes = platform::DiscoverPrefixes(platform::PrefixSearchPlaces::OfCurrentUser());
  if (prefixes.empty()) return Fail("no Wine prefix found (see the prefixes command)");
  std::vector<int> statuses;
  const bool json = json_output::Enabled();
  for (const platform::FoundPrefix& prefix : prefixes) {
    if (json) {
      json_output::BeginScanRun(prefix.path);
      json_output::CurrentScanRun()["source"] = prefix.source;
      json_output::CurrentScanRun()["name"] = prefix.name;
    } else {
      std::printf("Prefix: %s\n", Field(prefix.path).c_str());
    }
    std::fflush(stdout);
    statuses.push_back(scanOne(prefix.path));
    if (json) json_output::EndScanRun(statuses.back());
    std::fflush(stdout);
    std::fflush(stderr);
  }
  for (size_t i = 0; i < prefixes.size() && !json; ++i)
    std::printf("Summary:\t%s\t%s\n", Field(prefixes[i].path).c_str(),
                OutcomeName(statuses[i], remove));
  return *std::max_element(statuses.begin(), statuses.end());
}

}  // namespace quill::cli
