#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"

namespace quill::update {

/// The definition server's signed word on one reply. It travels beside the body in response
/// headers, so the bodies and requests stay as every client and peer knows them:
///   kStatementHeader           the statement text (Compose)
///   kStatementSignatureHeader  base64 of the ECDSA signature of that text
///   kEndorsementHeader         keys the server's older keys vouch for (optional)
inline constexpr const char* kStatementHeader = "X-Quillonet-Statement";
inline constexpr const char* kStatementSignatureHeader = "X-Quillonet-Statement-Signature";
inline constexpr const char* kEndorsementHeader = "X-Quillonet-Key-Endorsement";

struct Statement {
  /// The release the server's answer belongs to: its name (YYYYMMDD-HHMMSS, the date it was
  /// published under) and its sequence number, which grows with every release.
  std::string release;
  uint64_t sequence = 0;
  /// After this moment (seconds since 1970, UTC) the statement is no longer good.
  int64_t expires = 0;
  /// SHA-256 of the exact body bytes, lower-case hexadecimal.
  std::string bodySha256;
  /// The request target (path and query, as sent) the reply answers.
  std::string target;

  bool operator==(const Statement&) const = default;
};

/// "v1 release=<name> sequence=<n> expires=<seconds> sha256=<hex> target=<target>". A target
/// holding anything but printable ASCII cannot be stated: empty then.
std::string Compose(const Statement& statement);
/// The statement of a text Compose made; empty for anything else.
std::optional<Statement> Parse(std::string_view text);

/// The date a release name stands for ("20260316-120000" -> 3/16/2026 12:00:00).
std::optional<datetime::LocalDateTime> ReleaseDate(std::string_view name);

/// One key vouched for by another: the new key (base64 of its DER public key) and the
/// base64 signature, by the older key, of EndorsementText(key).
struct Endorsement {
  std::string keyDerBase64;
  std::string signature;
};
std::string EndorsementText(std::string_view keyDerBase64);
/// "<key> <signature>" pairs joined by ", " (the endorsement header, one line of the server's
/// endorsement file each).
std::string JoinEndorsements(const std::vector<Endorsement>& endorsements);
/// Pairs that cannot be read are skipped.
std::vector<Endorsement> SplitEndorsements(std::string_view text);

/// The PEM text of a DER public key given in base64.
std::string PemFromDerBase64(std::string_view keyDerBase64);
/// The public keys of a text holding one or more PEM blocks, each as its own PEM text.
std::vector<std::string> PemKeys(std::string_view text);

}  // namespace quill::update
