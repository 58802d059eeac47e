#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "base/UpdateStatement.h"
#include "platform/Internet.h"

namespace quill {

class ProgramContext;

/// Whether a definition server's reply can be believed. A server whose replies must be signed
/// (the default server, or one named with a key) sends with each reply a statement
/// (base/UpdateStatement.h) signed by a trusted key: the keys shipped in the program folder
/// (kTrustedKeysFile, a list of PEM keys, and kPublicKeyFile) or $QUILLONET_UPDATE_KEY (one or
/// more PEM keys), and any key those keys endorse in the reply's endorsement header. A
/// statement holds when it is signed so, names the request the client made and the exact
/// body it came with, has not expired, and its release is neither older than the newest
/// release the client has seen (kSeenReleaseFile in the data folder) nor dated before the
/// installed definitions.
class UpdateTrust {
 public:
  static constexpr const char* kTrustedKeysFile = "update-trusted-keys.pem";
  static constexpr const char* kPublicKeyFile = "update-public-key.pem";
  /// "<release> <sequence>" of the newest release seen, in the data folder.
  static constexpr const char* kSeenReleaseFile = "release.dat";

  explicit UpdateTrust(ProgramContext& app);

  /// False for a configured server without a key: its replies are taken as they come.
  bool Required() const { return required_; }

  /// What a reply must match besides its signature.
  struct Expect {
    /// The address asked for and the server base it was made from.
    std::string url;
    std::string base;
    /// Seconds since 1970 (UTC) now.
    int64_t now = 0;
    /// The date of the installed definitions.
    datetime::LocalDateTime installed;
  };

  /// The reply's statement when it holds; empty otherwise. A statement that holds and names
  /// a newer release than any seen is remembered.
  std::optional<update::Statement> Check(const platform::HttpReply& reply, const std::string& body,
                                         const Expect& expect);

  /// The newest release seen so far (sequence 0: none).
  const update::Statement& Seen() const { return seen_; }

 private:
  std::vector<std::string> KeysFor(const platform::HttpReply& reply) const;
  void Remember(const update::Statement& statement);

  ProgramContext& app_;
  bool required_ = false;
  std::vector<std::string> keys_;
  update::Statement seen_;
};

}  // namespace quill
