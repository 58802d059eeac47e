#include "definitions/LiveUpdateTrust.h"

#include <fstream>

#include "base/Sha256.h"
#include "base/Text.h"
#include "core/ProgramContext.h"
#include "core/UpdateServer.h"
#include "platform/Signature.h"

namespace quill {

namespace {

/// A key file is a few hundred bytes a key; anything far larger is not one.
constexpr std::streamsize kMaxKeyBytes = 64 * 1024;
/// Endorsements followed in one reply at most (each is a signature check per trusted key).
constexpr size_t kMaxEndorsements = 8;

std::string ReadHostFile(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  std::string bytes(static_cast<size_t>(kMaxKeyBytes), '\0');
  in.read(bytes.data(), kMaxKeyBytes);
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

void AddKeys(std::vector<std::string>& keys, const std::string& text) {
  for (auto& key : update::PemKeys(text)) keys.push_back(std::move(key));
}

bool SignedByAny(const std::vector<std::string>& keys, const std::string& data,
                 const std::string& signature) {
  for (const auto& key : keys)
    if (platform::VerifySignature(key, data, signature)) return true;
  return false;
}

/// The path and query of an address ("http://host:1/a?b" -> "/a?b").
std::string TargetOf(const std::string& url) {
  const size_t scheme = url.find("://");
  const size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  return path == std::string::npos ? "/" : url.substr(path);
}

}  // namespace

UpdateTrust::UpdateTrust(ProgramContext& app) : app_(app) {
  if (UpdateServerIsDefault()) {
    // Our own server signs everything it sends; its keys ship with the program.
    required_ = true;
    for (const char* file : {kTrustedKeysFile, kPublicKeyFile})
      AddKeys(keys_, app_.Files()
                         .ReadFile(app_.Identity().programFolder + "\\" + file)
                         .value_or(std::string()));
  } else if (const std::string keyFile = UpdateServerKeyFile(); !keyFile.empty()) {
    required_ = true;
    AddKeys(keys_, ReadHostFile(keyFile));
  }
  // The newest release seen: "<release> <sequence>"; anything else counts as none.
  const auto lines = text::SplitLines(
      app_.Files().ReadFile(app_.DataFile(kSeenReleaseFile)).value_or(std::string()));
  const auto words =
      lines.empty() ? std::vector<std::string>() : text::Split(text::Trim(lines.front()), " ");
  if (words.size() == 2 && update::ReleaseDate(words[0]) && words[1].size() <= 19 &&
      !words[1].empty() && words[1].find_first_not_of("0123456789") == std::string::npos) {
    seen_.release = words[0];
    seen_.sequence = std::stoull(words[1]);
  }
}

std::vector<std::string> UpdateTrust::KeysFor(const platform::HttpReply& reply) const {
  std::vector<std::string> keys = keys_;
  auto endorsements = update::SplitEndorsements(reply.Header(update::kEndorsementHeader));
  if (endorsements.size() > kMaxEndorsements) endorsements.resize(kMaxEndorsements);
  // Oldest first, each vouched for by a key already trusted (shipped or endorsed before it).
  for (const auto& e : endorsements) {
    if (SignedByAny(keys, update::EndorsementText(e.keyDerBase64), e.signature))
      keys.push_back(update::PemFromDerBase64(e.keyDerBase64));
  }
  return keys;
}

std::optional<update::Statement> UpdateTrust::Check(const platform::HttpReply& reply,
                                                    const std::string& body, const Expect& expect) {
  const std::string text = reply.Header(update::kStatementHeader);
  auto statement = update::Parse(text);
  if (!statement) return std::nullopt;
  const std::string relative = expect.url.substr(std::min(expect.base.size(), expect.url.size()));
  const bool forThisRequest =
      statement->target == TargetOf(expect.url) || statement->target == relative;
  const auto released = update::ReleaseDate(statement->release);
  if (!forThisRequest || statement->bodySha256 != Sha256::Hex(body) ||
      expect.now >= statement->expires || statement->sequence < seen_.sequence || !released ||
      *released < expect.installed)
    return std::nullopt;
  if (!SignedByAny(KeysFor(reply), text, reply.Header(update::kStatementSignatureHeader)))
    return std::nullopt;
  Remember(*statement);
  return statement;
}

void UpdateTrust::Remember(const update::Statement& statement) {
  if (statement.sequence <= seen_.sequence) return;
  seen_ = statement;
  // Replaced whole, so a crash leaves the old or the new line, never a mix.
  app_.Files().ReplaceFile(app_.DataFile(kSeenReleaseFile),
                           statement.release + " " + std::to_string(statement.sequence) + "\r\n");
}

}  // namespace quill
