#include "scan/StatusFilter.h"

#include <array>
#include <string_view>

#include "base/Text.h"

namespace quill {

namespace {

// Order matters: a word that contains another listed word comes before it.
// clang-format off
constexpr std::array<std::string_view, 42> kFilteredWords = {
    "motherfucker",
    "fuck",
    "shit",
    "cunt",
    "bitch",
    "bastard",
    "asshole",
    "dick",
    "cock",
    "pussy",
    "whore",
    "slut",
    "piss",
    "twat",
    "wank",
    "prick",
    "bollocks",
    "bugger",
    "crap",
    "damn",
    "cum",
    "penis",
    "vagina",
    "dildo",
    "blowjob",
    "handjob",
    "orgasm",
    "porn",
    "boner",
    "tits",
    "jizz",
    "nigger",
    "nigga",
    "chink",
    "spic",
    "kike",
    "wetback",
    "gook",
    "raghead",
    "faggot",
    "dyke",
    "fuck",
};
// clang-format on

}  // namespace

std::string FilterStatusText(const std::string& text) {
  std::string result = text;
  for (std::string_view word : kFilteredWords) {
    // Most status lines hold none of the words: test before building a new string.
    if (text::FindNoCase(result, word) == std::string::npos) continue;
    result = text::ReplaceAllNoCase(result, word, "");
  }
  return result;
}

}  // namespace quill
