#include "definitions/SelfHostedSite.h"

#include "base/Text.h"
#include "definitions/DefinitionFiles.h"
#include "forms/Host.h"

namespace quill {

namespace {

// "http://" + the site's host: every "http://" taken out (any letter case), cut before the first
// "/", "www." put in front unless the host has it somewhere. Empty for a placeholder.
std::string SiteBase(const std::string& website) {
  std::string host = text::Trim(website);
  host = text::ReplaceAllNoCase(host, "http://", "");
  host = host.substr(0, host.find('/'));
  const bool placeholder = host.empty() || host.find_first_of("[] \t") != std::string::npos;
  if (placeholder) return {};
  if (!text::ContainsNoCase(host, "www.")) host = "www." + host;
  return "http://" + host;
}

}  // namespace

std::vector<std::string> SelfHostedSiteAddresses(const std::string& website,
                                                 const std::string& fallbackBase) {
  std::string base = SiteBase(website);
  if (base.empty()) base = fallbackBase;
  while (!base.empty() && base.back() == '/') base.pop_back();
  std::vector<std::string> addresses;
  for (const char* page : {"R", "F", "E", "C"})
    addresses.push_back(base + "/definitions/version/" + page + ".HTM");
  for (const char* file : definition_files::kServedWhole)
    addresses.push_back(base + "/definitions/data/" + file);
  return addresses;
}

std::string SelfHostedSiteListing(const std::string& website, const std::string& fallbackBase) {
  std::string listing;
  for (const auto& address : SelfHostedSiteAddresses(website, fallbackBase))
    listing += address + "\r\n";
  return listing;
}

void ShowSelfHostedSiteListing(forms::Host& host, const std::string& website,
                               const std::string& fallbackBase, const std::string& title) {
  host.MsgBox(SelfHostedSiteListing(website, fallbackBase), forms::MsgBoxButtons::OkOnly,
              forms::MsgBoxIcon::None, title);
}

}  // namespace quill
