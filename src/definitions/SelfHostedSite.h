#pragma once

#include <string>
#include <vector>

namespace quill {

namespace forms {
class Host;
}

/// The eight addresses a self-hosted definition site serves: four version pages and four
/// definition files, under "http://" + the brand's web site host ("www." added unless the
/// host has it). When the brand's site is still an unfilled placeholder (empty, or a
/// bracketed "[Website]"), the addresses are given under fallbackBase instead, the
/// definition server the program talks to.
std::vector<std::string> SelfHostedSiteAddresses(const std::string& website,
                                                 const std::string& fallbackBase);

/// The addresses one per line, each followed by CR LF: the text of the listing a user sees
/// when holding Shift while pressing "Update Now".
std::string SelfHostedSiteListing(const std::string& website, const std::string& fallbackBase);

/// Shows that listing in a message box with an OK button, titled with the program's name.
void ShowSelfHostedSiteListing(forms::Host& host, const std::string& website,
                               const std::string& fallbackBase, const std::string& title);

}  // namespace quill
