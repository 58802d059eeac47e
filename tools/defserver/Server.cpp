#include "Server.h"

#include <httplib.h>

#include <sys/socket.h>

#include <csignal>
#include <ctime>
#include <fstream>
#include <future>
#include <iostream>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "ReleaseStore.h"
#include "Signer.h"
#include "UpdateBody.h"
#include "base/Sha256.h"
#include "base/Text.h"
#include "base/UpdateStatement.h"
#include "base/Url.h"

namespace quill::defserver {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxTarget = 8192;                       // longer queries get 414
constexpr uintmax_t kMaxResearchLog = 256ull << 20;       // per research file
constexpr size_t kCachedReleases = 4, kCachedBodies = 8;  // memory stays bounded
constexpr size_t kWorkerThreads = 8;
constexpr int kListenBacklog = 1024;

using Query = std::map<std::string, std::string>;

// The query of a raw target, every key and value percent-decoded to its exact bytes ("+"
// stays "+"). Empty optional for a malformed escape. The first of repeated keys counts.
std::optional<Query> ParseQuery(const std::string& target) {
  Query query;
  const size_t q = target.find('?');
  if (q == std::string::npos) return query;
  for (const auto& pair : text::Split(std::string_view(target).substr(q + 1), "&")) {
    if (pair.empty()) continue;
    const size_t eq = pair.find('=');
    auto key = text::PercentDecode(std::string_view(pair).substr(0, eq));
    auto value = text::PercentDecode(
        eq == std::string::npos ? std::string_view() : std::string_view(pair).substr(eq + 1));
    if (!key || !value) return std::nullopt;
    query.emplace(std::move(*key), std::move(*value));
  }
  return query;
}

// One line of a research file: control bytes and "\" escaped, so a report stays on one line.
std::string Escaped(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += "\\\\";
    } else if (c < 32 || c == 127) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

// Releases and update bodies, read and computed once and kept in small caches; concurrent
// requests for the same body wait for one computation.
class Definitions {
 public:
  explicit Definitions(const fs::path& root) : store_(root) {}

  std::optional<std::string> Newest() const {
    auto names = store_.List();
    if (names.empty()) return std::nullopt;
    return names.back();
  }
  const ReleaseStore& Store() const { return store_; }

  /// The body from the release at or before the client's date to the newest; the full set
  /// for a date older than every release or no date. Null when nothing is published.
  std::shared_ptr<const std::string> BodyFor(const std::optional<datetime::LocalDateTime>& date,
                                             const std::vector<std::string>& names) {
    if (names.empty()) return nullptr;
    std::string base;
    if (date) {
      const std::string client = ReleaseName(*date);
      for (const auto& name : names)
        if (name <= client) base = name;
    }
    const std::string& newest = names.back();
    if (base == newest) return std::make_shared<const std::string>();
    const std::string key = base + ">" + newest;

    std::promise<BodyPtr> promise;
    std::shared_future<BodyPtr> future;
    bool mine = false;
    {
      std::lock_guard lock(mutex_);
      for (auto it = bodies_.begin(); it != bodies_.end(); ++it) {
        if (it->first != key) continue;
        bodies_.splice(bodies_.begin(), bodies_, it);
        future = it->second;
        break;
      }
      if (!future.valid()) {
        mine = true;
        future = promise.get_future().share();
        bodies_.emplace_front(key, future);
        if (bodies_.size() > kCachedBodies) bodies_.pop_back();
      }
    }
    if (mine) {
      BodyPtr body;
      try {
        auto to = Load(newest);
        auto from = base.empty() ? nullptr : Load(base);
        if (to && (base.empty() || from))
          body = std::make_shared<const std::string>(UpdateBody(from.get(), *to));
      } catch (const std::exception&) {
        // Out of memory or an unreadable release: the request fails, the server goes on.
      }
      promise.set_value(body);
      if (!body) Forget(key);
    }
    return future.get();
  }

 private:
  using BodyPtr = std::shared_ptr<const std::string>;

  void Forget(const std::string& key) {
    std::lock_guard lock(mutex_);
    bodies_.remove_if([&](const auto& entry) { return entry.first == key; });
  }

  std::shared_ptr<const Release> Load(const std::string& name) {
    {
      std::lock_guard lock(mutex_);
      auto it = releases_.find(name);
      if (it != releases_.end()) return it->second;
    }
    auto release = store_.Load(name);
    std::lock_guard lock(mutex_);
    if (releases_.size() >= kCachedReleases) releases_.clear();
    releases_[name] = release;
    return release;
  }

  ReleaseStore store_;
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const Release>> releases_;
  std::list<std::pair<std::string, std::shared_future<BodyPtr>>> bodies_;
};

// Appends one report a line to a file under <root>/research/.
class ResearchLog {
 public:
  explicit ResearchLog(fs::path dir) : dir_(std::move(dir)) {}

  bool Append(const std::string& file, const std::string& client,
              const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string line = UtcNow() + "\t" + client;
    for (const auto& [key, value] : fields) line += "\t" + key + "=" + Escaped(value);
    line += "\n";
    std::lock_guard lock(mutex_);
    std::error_code ec;
    fs::create_directories(dir_, ec);
    const fs::path path = dir_ / file;
    const auto size = fs::file_size(path, ec);
    if (!ec && size + line.size() > kMaxResearchLog) return false;
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << line;
    out.flush();
    return static_cast<bool>(out);
  }

 private:
  fs::path dir_;
  std::mutex mutex_;
};

// Raw request targets, one a line, for tests and troubleshooting.
class RequestLog {
 public:
  explicit RequestLog(const fs::path& path) {
    if (!path.empty()) out_.open(path, std::ios::binary | std::ios::app);
  }
  void Write(const std::string& target) {
    if (!out_.is_open()) return;
    std::lock_guard lock(mutex_);
    out_ << target << '\n';
    out_.flush();
  }

 private:
  std::ofstream out_;
  std::mutex mutex_;
};

class Routes {
 public:
  Routes(const ServerOptions& options, const Signer& signer)
      : root_(options.root),
        signer_(signer),
        definitions_(options.root),
        research_(options.root / "research"),
        requests_(options.requestLog),
        endorsements_(ReadEndorsements(options.root)) {}

  void Install(httplib::Server& server) {
    server.set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) { return Screen(req, res); });
    server.Get("/asp/currentDateNEW\\.asp",
               [this](const auto& req, auto& res) { NewestDate(req, res); });
    server.Get("/asp/date\\.asp", [this](const auto& req, auto& res) { NewestDate(req, res); });
    server.Get("/asp/getDefsNEW\\.asp", [this](const auto& req, auto& res) { Defs(req, res); });
    server.Get("/definitions/version/[RFEC]\\.HTM",
               [this](const auto& req, auto& res) { NewestDate(req, res); });
    server.Get(
        "/definitions/data/"
        "(BlockedCookies|RegistryDefinition|FileDefinition|ExeDefinition)\\.dat",
        [this](const auto& req, auto& res) { DataFile(req, res); });
    server.Get("/Languages/([0-9]{1,9})/Localization\\.txt",
               [this](const auto& req, auto& res) { Language(req, res); });
    server.Get("/asp/submitFP\\.asp", [this](const auto& req, auto& res) {
      Research(req, res, "submitFP.log", {"files", "details"}, "OK");
    });
    server.Get("/asp/getData\\.asp", [this](const auto& req, auto& res) {
      Research(req, res, "getData.log", {"data"}, "Added");
    });
    server.set_exception_handler([](const auto&, auto& res, std::exception_ptr) {
      res.status = 500;
      res.set_content("Internal error", "text/plain");
    });
  }

 private:
  // Logs the raw target, then turns away what no route should see.
  httplib::Server::HandlerResponse Screen(const httplib::Request& req, httplib::Response& res) {
    requests_.Write(req.target);
    int status = 0;
    if (req.target.size() > kMaxTarget)
      status = 414;
    else if (req.method != "GET" && req.method != "HEAD")
      status = 405;
    else if (req.has_header("Range"))
      status = 416;  // every body is signed whole
    if (status == 0) return httplib::Server::HandlerResponse::Unhandled;
    res.status = status;
    return httplib::Server::HandlerResponse::Handled;
  }

  // Every successful body goes out with its signature and, once a release is published, the
  // signed statement binding it to the request it answers and to the release (the newest
  // when none is given) with that release's expiry.
  void Reply(const httplib::Request& req, httplib::Response& res, std::string body,
             std::optional<std::string> release = std::nullopt) {
    res.set_header("X-Quillonet-Signature", signer_.Sign(body));
    if (!release) release = definitions_.Newest();
    const auto meta = release ? definitions_.Store().Meta(*release) : std::nullopt;
    const std::string statement = meta ? update::Compose({*release, meta->sequence, meta->expires,
                                                          Sha256::Hex(body), req.target})
                                       : std::string();
    if (!statement.empty()) {
      res.set_header(update::kStatementHeader, statement);
      res.set_header(update::kStatementSignatureHeader, signer_.Sign(statement));
    }
    if (!endorsements_.empty()) res.set_header(update::kEndorsementHeader, endorsements_);
    res.set_content(std::move(body), "text/plain");
  }

  static void Fail(httplib::Response& res, int status, const std::string& why) {
    res.status = status;
    res.set_content(why, "text/plain");
  }

  void NewestDate(const httplib::Request& req, httplib::Response& res) {
    const auto newest = definitions_.Newest();
    if (!newest) return Fail(res, 503, "No definitions are published.");
    Reply(req, res, datetime::GeneralDate(*ParseReleaseName(*newest)), newest);
  }

  void Defs(const httplib::Request& req, httplib::Response& res) {
    const auto query = ParseQuery(req.target);
    if (!query) return Fail(res, 400, "Malformed query.");
    // A date that cannot be read gets the full set, as a client older than every release.
    std::optional<datetime::LocalDateTime> date;
    if (auto it = query->find("date"); it != query->end())
      date = datetime::ParseGeneralDate(text::Trim(it->second));
    const auto names = definitions_.Store().List();
    const auto body = definitions_.BodyFor(date, names);
    if (!body) return Fail(res, 503, "No definitions are published.");
    Reply(req, res, *body, names.back());
  }

  void DataFile(const httplib::Request& req, httplib::Response& res) {
    const auto newest = definitions_.Newest();
    if (!newest) return Fail(res, 404, "Not found.");
    const std::string file = std::string(req.matches[1]) + ".dat";
    for (size_t t = 0; t < kTargetCount; ++t) {
      if (file != kTargetFiles[t]) continue;
      auto content = ReadWholeFile(definitions_.Store().FilePath(*newest, static_cast<Target>(t)));
      if (!content) return Fail(res, 404, "Not found.");
      return Reply(req, res, std::move(*content), newest);
    }
    Fail(res, 404, "Not found.");
  }

  void Language(const httplib::Request& req, httplib::Response& res) {
    auto content =
        ReadWholeFile(root_ / "Languages" / std::string(req.matches[1]) / "Localization.txt");
    if (!content) return Fail(res, 404, "Not found.");
    Reply(req, res, std::move(*content));
  }

  void Research(const httplib::Request& req, httplib::Response& res, const std::string& file,
                const std::vector<std::string>& keys, const std::string& answer) {
    const auto query = ParseQuery(req.target);
    if (!query) return Fail(res, 400, "Malformed query.");
    std::vector<std::pair<std::string, std::string>> fields;
    for (const auto& key : keys) {
      auto it = query->find(key);
      if (it == query->end()) return Fail(res, 400, "Missing " + key + ".");
      fields.emplace_back(key, it->second);
    }
    if (!research_.Append(file, req.remote_addr, fields))
      return Fail(res, 507, "The report could not be stored.");
    Reply(req, res, answer);
  }

  fs::path root_;
  const Signer& signer_;
  Definitions definitions_;
  ResearchLog research_;
  RequestLog requests_;
  std::string endorsements_;
};

}  // namespace

std::shared_ptr<void> InstallRoutes(httplib::Server& server, const ServerOptions& options,
                                    const Signer& signer) {
  auto routes = std::make_shared<Routes>(options, signer);
  routes->Install(server);
  return routes;
}

int Serve(const ServerOptions& options) {
  std::error_code ec;
  if (!fs::is_directory(options.root, ec)) {
    std::cerr << "quillonet-defserver: " << options.root << " is not a folder\n";
    return 1;
  }
  std::string error;
  auto signer =
      Signer::Load(options.key.empty() ? options.root / "signing-key.pem" : options.key, &error);
  if (!signer) {
    std::cerr << "quillonet-defserver: " << error
              << " (make one with: quillonet-defserver keygen --out-dir DIR)\n";
    return 1;
  }

  // SIGINT and SIGTERM end the server through one waiting thread, never inside a handler.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  httplib::Server server;
  server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  server.set_read_timeout(10);
  server.set_write_timeout(30);
  server.set_keep_alive_max_count(20);
  server.set_payload_max_length(64 * 1024);
  const auto routes = InstallRoutes(server, options, *signer);
  // The library listens with a backlog of a handful of connections; a burst of clients would
  // then wait out the system's connection retries. The socket is noted so it can listen with
  // a deep backlog once bound.
  int listening = -1;
  server.set_socket_options([&listening](socket_t socket) {
    httplib::default_socket_options(socket);
    listening = socket;
  });

  const int port = options.port == 0
                       ? server.bind_to_any_port(options.bind)
                       : (server.bind_to_port(options.bind, options.port) ? options.port : -1);
  if (port <= 0) {
    std::cerr << "quillonet-defserver: cannot listen on " << options.bind << ":" << options.port
              << "\n";
    return 1;
  }
  if (listening >= 0) ::listen(listening, kListenBacklog);
  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
  });
  std::cout << "Listening on http://" << options.bind << ":" << port << std::endl;
  server.listen_after_bind();
  // listen_after_bind also returns on a fatal socket error: wake the waiting thread.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return 0;
}

}  // namespace quill::defserver
