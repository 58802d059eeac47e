#include "base/UpdateStatement.h"

#include <charconv>

#include "base/Text.h"

namespace quill::update {
namespace {

constexpr std::string_view kBeginKey = "-----BEGIN PUBLIC KEY-----";
constexpr std::string_view kEndKey = "-----END PUBLIC KEY-----";

bool Printable(std::string_view text) {
  for (char c : text)
    if (c <= ' ' || c > '~') return false;
  return !text.empty();
}

bool IsBase64(std::string_view text) {
  for (char c : text) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '+' || c == '/' || c == '=';
    if (!ok) return false;
  }
  return !text.empty();
}

// The value after "<name>=" at the front of text, up to the next space; text moves past it.
std::optional<std::string_view> Field(std::string_view& text, std::string_view name, bool last) {
  if (text.substr(0, name.size()) != name || text.size() <= name.size() || text[name.size()] != '=')
    return std::nullopt;
  text.remove_prefix(name.size() + 1);
  const size_t end = last ? text.size() : text.find(' ');
  if (end == std::string_view::npos) return std::nullopt;
  std::string_view value = text.substr(0, end);
  text.remove_prefix(last ? end : end + 1);
  if (!Printable(value)) return std::nullopt;
  return value;
}

template <typename Number>
bool ReadNumber(std::string_view text, Number& out) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != text.npos)
    return false;
  return std::from_chars(text.data(), text.data() + text.size(), out).ec == std::errc();
}

}  // namespace

std::string Compose(const Statement& s) {
  if (!Printable(s.target) || !ReleaseDate(s.release) || !Printable(s.bodySha256) || s.expires < 0)
    return {};
  return "v1 release=" + s.release + " sequence=" + std::to_string(s.sequence) +
         " expires=" + std::to_string(s.expires) + " sha256=" + s.bodySha256 +
         " target=" + s.target;
}

std::optional<Statement> Parse(std::string_view text) {
  if (text.substr(0, 3) != "v1 ") return std::nullopt;
  text.remove_prefix(3);
  Statement s;
  const auto release = Field(text, "release", false);
  const auto sequence = Field(text, "sequence", false);
  const auto expires = Field(text, "expires", false);
  const auto sha = Field(text, "sha256", false);
  const auto target = Field(text, "target", true);
  if (!release || !sequence || !expires || !sha || !target || !ReleaseDate(*release) ||
      !ReadNumber(*sequence, s.sequence) || !ReadNumber(*expires, s.expires) || sha->size() != 64 ||
      sha->find_first_not_of("0123456789abcdef") != sha->npos)
    return std::nullopt;
  s.release = *release;
  s.bodySha256 = *sha;
  s.target = *target;
  return s;
}

std::optional<datetime::LocalDateTime> ReleaseDate(std::string_view name) {
  if (name.size() != 15 || name[8] != '-') return std::nullopt;
  int parts[6] = {};
  const size_t at[6][2] = {{0, 4}, {4, 2}, {6, 2}, {9, 2}, {11, 2}, {13, 2}};
  for (size_t i = 0; i < 6; ++i)
    if (!ReadNumber(name.substr(at[i][0], at[i][1]), parts[i])) return std::nullopt;
  const datetime::LocalDateTime date{parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]};
  if (date.year < 1900 || date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31 ||
      date.hour > 23 || date.minute > 59 || date.second > 59)
    return std::nullopt;
  return date;
}

std::string EndorsementText(std::string_view keyDerBase64) {
  return "quillonet key endorsement v1 " + std::string(keyDerBase64);
}

std::string JoinEndorsements(const std::vector<Endorsement>& endorsements) {
  std::string out;
  for (const auto& e : endorsements) {
    if (!out.empty()) out += ", ";
    out += e.keyDerBase64 + " " + e.signature;
  }
  return out;
}

std::vector<Endorsement> SplitEndorsements(std::string_view text) {
  std::vector<Endorsement> out;
  for (const auto& item : text::Split(text, ",")) {
    const std::string pair = text::Trim(item);
    const size_t space = pair.find(' ');
    if (space == std::string::npos) continue;
    Endorsement e{pair.substr(0, space), text::Trim(pair.substr(space + 1))};
    if (IsBase64(e.keyDerBase64) && IsBase64(e.signature)) out.push_back(std::move(e));
  }
  return out;
}

std::string PemFromDerBase64(std::string_view keyDerBase64) {
  std::string pem = std::string(kBeginKey) + "\n";
  for (size_t at = 0; at < keyDerBase64.size(); at += 64)
    pem += std::string(keyDerBase64.substr(at, 64)) + "\n";
  return pem + std::string(kEndKey) + "\n";
}

std::vector<std::string> PemKeys(std::string_view text) {
  std::vector<std::string> keys;
  for (size_t begin = text.find(kBeginKey); begin != std::string_view::npos;
       begin = text.find(kBeginKey, begin + 1)) {
    const size_t end = text.find(kEndKey, begin);
    if (end == std::string_view::npos) break;
    keys.emplace_back(text.substr(begin, end + kEndKey.size() - begin));
    keys.back() += "\n";
  }
  return keys;
}

}  // namespace quill::update
