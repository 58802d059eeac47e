#include "DefinitionLines.h"

#include "base/Text.h"
#include "definitions/DefinitionCodec.h"

namespace quill::defserver {
namespace {

// The separators as they appear inside a stored line.
const char kStoredBar = EncodeLine("|")[0];
const char kStoredEquals = EncodeLine("=")[0];

// The stored line with its scrambled separators made plain, as an update body carries them.
std::string PlainSeparators(std::string_view stored) {
  std::string out(stored);
  for (char& c : out) {
    if (c == kStoredBar)
      c = '|';
    else if (c == kStoredEquals)
      c = '=';
  }
  return out;
}

std::string KindOf(Target target, std::string_view stored, bool viaExe) {
  switch (target) {
    case Target::File:
      return viaExe ? "EXE" : "FILE";
    case Target::Exe:
      return "EXE";
    case Target::Registry:
      return "REG";
    case Target::Cookies:
      return "COOK";
    case Target::Directory:
      return "DIR";
    case Target::Safety:
      return DecodeLine(stored.substr(0, stored.find(kStoredBar)));
  }
  return {};
}

// A registry line is written by a client as location + "^=" + threat + "|" + type, so the
// update carries it as name=threat|location|type with each field still scrambled.
std::string RegistryDefinition(std::string_view stored) {
  const std::string decoded = DecodeLine(stored);
  const size_t caretEquals = decoded.find("^=");
  const size_t bar = decoded.find('|', caretEquals + 2);
  const std::string_view location = stored.substr(0, caretEquals);
  const std::string_view threat = stored.substr(caretEquals + 2, bar - caretEquals - 2);
  const std::string_view type = stored.substr(bar + 1);
  const std::string_view name = stored.substr(0, stored.find(kStoredEquals));
  std::string out;
  out.reserve(stored.size() + name.size() + 4);
  out.append(name).append("=").append(threat).append("|").append(location).append("|").append(type);
  return out;
}

std::string Definition(Target target, std::string_view stored) {
  switch (target) {
    case Target::Cookies:
      return std::string(stored);
    case Target::Registry:
      return RegistryDefinition(stored);
    case Target::Safety:
      return PlainSeparators(stored.substr(stored.find(kStoredBar) + 1));
    default:
      return PlainSeparators(stored);
  }
}

std::optional<std::string> Refuse(std::string* error, std::string reason) {
  if (error != nullptr) *error = std::move(reason);
  return std::nullopt;
}

// Registry lines are normalised to what a client writes: "root^key^value^=threat|type".
std::optional<std::string> RegistryLine(std::string_view plain, std::string* error) {
  const size_t eq = plain.rfind('=');
  if (eq == std::string_view::npos || plain.substr(0, eq).find('^') == std::string_view::npos)
    return Refuse(error, "a registry definition reads root^key^value=threat|type");
  std::string location(plain.substr(0, eq));
  std::string rest(plain.substr(eq + 1));
  if (location.back() != '^') location += '^';
  if (rest.find('|') == std::string::npos) rest += '|';
  return location + "=" + rest;
}

}  // namespace

bool IsTransportable(Target target, std::string_view stored) {
  if (stored.empty() || stored.front() == ' ' || stored.back() == ' ') return false;
  for (char c : stored) {
    if (c == '|' || c == '=' || static_cast<unsigned char>(c) < 32) return false;
  }
  if (text::ContainsNoCase(stored, "[BR]") || text::Contains(stored, "[DEF]")) return false;
  if (target == Target::Registry) {
    const std::string decoded = DecodeLine(stored);
    const size_t caretEquals = decoded.find("^=");
    return caretEquals != std::string::npos && decoded.find('|', caretEquals) != std::string::npos;
  }
  if (target == Target::Safety) {
    const size_t bar = stored.find(kStoredBar);
    // Nothing after the bar: the update line would carry an empty definition, which clients
    // skip.
    return bar != std::string_view::npos && bar + 1 < stored.size() &&
           text::ContainsNoCase(DecodeLine(stored.substr(0, bar)), "S");
  }
  return true;
}

std::optional<std::string> StoredLine(std::string_view kind, std::string_view plain,
                                      std::string* error) {
  std::string decoded(plain);
  Target target = Target::File;
  if (kind == "REG") {
    auto line = RegistryLine(plain, error);
    if (!line) return std::nullopt;
    decoded = *line;
    target = Target::Registry;
  } else if (kind == "COOK") {
    if (decoded.find('=') != std::string::npos)
      return Refuse(error, "a cookie domain cannot contain \"=\"");
    target = Target::Cookies;
  } else if (kind == "SAFETY") {
    const size_t bar = decoded.find('|');
    if (bar == std::string::npos || !text::ContainsNoCase(decoded.substr(0, bar), "S"))
      return Refuse(error, "a protected location reads KIND|name=value|location, KIND with an S");
    target = Target::Safety;
  }
  std::string stored = EncodeLine(decoded);
  if (!IsTransportable(target, stored))
    return Refuse(error,
                  "the update protocol cannot carry this line unchanged (\"<\", control "
                  "characters, some accented capitals, \"[BR]\", \"[DEF]\" or a blank at an end)");
  return stored;
}

std::string_view LineName(std::string_view stored, std::string& buffer) {
  buffer.assign(stored.substr(0, stored.find(kStoredEquals)));
  DecodeLineInPlace(buffer);
  for (char& c : buffer)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return buffer;
}

std::string UpdateLine(Operation op, Target target, std::string_view stored, bool viaExe) {
  std::string line = EncodeLine(KindOf(target, stored, viaExe));
  if (op == Operation::Add) {
    line += "|ADD[DEF]";
    line += Definition(target, stored);
  } else {
    // The name, then "=" so that a name ending in a scrambled blank survives the trimming.
    line += "|DEL[DEF]";
    line += stored.substr(0, stored.find(kStoredEquals));
    line += '=';
  }
  return line;
}

}  // namespace quill::defserver
