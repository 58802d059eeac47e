// Live Update on a temporary prefix against a real local HTTP server.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/FrmMain.h"
#include "base/Sha256.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/DefinitionSet.h"
#include "support/AppFixture.h"
#include "support/FakeUpdateView.h"
#include "support/LocalHttpServer.h"
#include "support/ScopedEnv.h"
#include "support/StoredSettings.h"
#include "support/TestPlatform.h"

namespace quill::test {
namespace {

using Outcome = LiveUpdateResult::Outcome;

const char* const kDatePath = "/asp/currentDateNEW.asp";
const char* const kBodyPath = "/asp/getDefsNEW.asp";
const char* const kNewDatePath = "/asp/date.asp";
const char* const kFiles[] = {"FileDefinition.dat",
                              "ExeDefinition.dat",
                              "RegistryDefinition.dat",
                              "BlockedCookies.dat",
                              "DirectoryDefinition.dat",
                              "Safety.dat",
                              "date.dat"};

std::string AddLine(const std::string& kind, const std::string& name, const std::string& rest) {
  return EncodeLine(kind) + "|ADD[DEF]" + EncodeLine(name) + "=" + EncodeLine(rest);
}

/// A definition server whose three replies the test decides; each is signed with the test's
/// key, with a statement for the request it answers, unless the reply says otherwise.
class UpdateScenario : public ::testing::Test {
 protected:
  struct Reply {
    int status = 200;
    std::string body;
    std::string signedBody;  // what the signature covers; the body when empty
    bool unsigned_ = false;
    /// Answers instead, when set.
    std::function<void(httplib::Response&)> custom;
    /// The statement: release, sequence, expiry (from the host's clock), target when not the
    /// request's, signing key when not the trusted one, endorsement header.
    std::string release = "20060321-140000";
    uint64_t sequence = 7;
    int64_t expiresIn = 14 * 86400;
    std::string target;
    const TestSigningKey* signer = nullptr;
    std::string endorsement;
  };

  UpdateScenario()
      : keyFile_(MakeTempFolder("key") + "/server.pem"),
        server_env_("QUILLONET_UPDATE_SERVER", std::nullopt),
        key_env_("QUILLONET_UPDATE_KEY", keyFile_) {
    std::ofstream(keyFile_) << key_.PublicPem();
    replies_[kDatePath].body = "3/21/2006 2:00:00 PM";
    replies_[kBodyPath].body = AddLine("FILE", "bad.exe", "Bad|[drive]x") + "[BR]" +
                               AddLine("COOK", "tracker.example", "T");
    replies_[kNewDatePath].body = "3/21/2006 2:00:00 PM";
    for (const char* path : {kDatePath, kBodyPath, kNewDatePath})
      server_.Routes().Get(path, [this, path](const httplib::Request& req, httplib::Response& res) {
        Answer(replies_[path], req, res);
      });
    now_ = std::chrono::duration_cast<std::chrono::seconds>(app_.Host().Now().time_since_epoch())
               .count();
    server_.Start();
    ::setenv("QUILLONET_UPDATE_SERVER", server_.Base().c_str(), 1);
    app_.App().SetUpdateView(&view_);
    app_.Start();
  }
  ~UpdateScenario() override {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(keyFile_).parent_path(), ec);
  }

  void Answer(const Reply& reply, const httplib::Request& req, httplib::Response& res) {
    if (reply.custom) return reply.custom(res);
    res.status = reply.status;
    res.set_content(reply.body, "text/plain");
    if (reply.unsigned_) return;
    const std::string& covered = reply.signedBody.empty() ? reply.body : reply.signedBody;
    (reply.signer ? *reply.signer : key_)
        .State(res, {reply.release, reply.sequence, now_ + reply.expiresIn, Sha256::Hex(covered),
                     reply.target.empty() ? req.target : reply.target});
    if (!reply.endorsement.empty()) res.set_header(update::kEndorsementHeader, reply.endorsement);
  }

  /// Every definition file and the date file, as bytes ("<absent>" when missing).
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> files;
    for (const char* name : kFiles)
      files[name] =
          app_.App().Files().ReadFile(app_.DataFolder() + "\\" + name).value_or("<absent>");
    return files;
  }

  LiveUpdateResult Run() {
    view_.notifications.clear();
    view_.events.clear();
    return app_.Main().RunLiveUpdate();
  }
  std::string Msg(const char* key) { return app_.App().Msg(key); }

  TestSigningKey key_;
  std::string keyFile_;
  ScopedEnv server_env_;
  ScopedEnv key_env_;
  LocalHttpServer server_;
  std::map<std::string, Reply> replies_;
  AppFixture app_;
  FakeUpdateView view_;
  int64_t now_ = 0;
};

TEST_F(UpdateScenario, NewerServerDefinitionsAreMergedDatedAndAnnounced) {
  app_.WriteDefinitions("FileDefinition.dat", {"old.exe=Old|[drive]a"});
  auto& main = app_.Main();
  std::vector<std::string> statuses;
  bool commandDisabled = false;
  app_.Host().EveryDoEvents([&] {
    statuses.push_back(view_.status);
    commandDisabled = commandDisabled || !main.cmdLiveUpdate.Enabled();
  });

  LiveUpdateResult result = Run();
  EXPECT_EQ(result.outcome, Outcome::Updated);
  EXPECT_EQ(result.changes, 2);
  EXPECT_EQ(view_.events, (std::vector<std::string>{"open", "remove icon", "notify", "close"}));
  EXPECT_EQ(view_.notifications, (std::vector<std::string>{Msg("MSG_UPDATED_DEFS")}));
  EXPECT_EQ(Msg("MSG_UPDATED_DEFS"), "Your Quillonet definitions have been updated!");
  // The requests, byte for byte: every query value percent-encoded, the absent date file read
  // as the default date.
  EXPECT_EQ(server_.Targets(),
            (std::vector<std::string>{
                "/asp/currentDateNEW.asp?prog=Quillonet&comp=Quillonet%20Software",
                "/asp/getDefsNEW.asp?prog=Quillonet&comp=Quillonet%20Software&date=3%2F16%2F2006%"
                "2012%3A00%3A00%20AM",
                "/asp/date.asp"}));
  auto files = Snapshot();
  EXPECT_EQ(files["FileDefinition.dat"], EncodeLine("old.exe=Old|[drive]a") + "\r\n" +
                                             EncodeLine("bad.exe=Bad|[drive]x") + "\r\n");
  EXPECT_EQ(files["BlockedCookies.dat"], EncodeLine("tracker.example") + "\r\n");
  EXPECT_EQ(files["date.dat"], "3/21/2006 2:00:00 PM\r\n");
  EXPECT_EQ(main.lblDefVersion.Caption(), "3/21/2006 2:00:00 PM PST");
  EXPECT_EQ(main.DefinitionCount, 3);
  EXPECT_TRUE(main.cmdLiveUpdate.Enabled());
  EXPECT_TRUE(commandDisabled);
  EXPECT_EQ(GetSetting(app_.App(), "OptionAndSettings", "RESTART", ""), "True");
  EXPECT_EQ(GetSetting(app_.App(), "OptionAndSettings", "SHOW", ""), "True");
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses.front(), "Connecting to the definition server, please wait.");
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Applying new updates..."), statuses.end());

  // The server has nothing newer now: no body is asked for, nothing changes.
  const auto before = Snapshot();
  result = Run();
  EXPECT_EQ(result.outcome, Outcome::Current);
  EXPECT_EQ(view_.notifications, (std::vector<std::string>{Msg("MSG_RECENT_DEFS")}));
  EXPECT_EQ(server_.Targets().size(), 4u);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(UpdateScenario, EveryFaultLeavesTheDefinitionsAsTheyWereAndSaysSo) {
  app_.WriteDefinitions("FileDefinition.dat", {"old.exe=Old|[drive]a"});
  app_.WriteDataFile("date.dat", "3/1/2006 12:00:00 AM\r\n");
  const auto before = Snapshot();
  const auto good = replies_;
  std::string huge(65u << 20, 'x');
  const struct {
    const char* what;
    std::function<void()> arrange;
  } faults[] = {
      {"404 for the date", [&] { replies_[kDatePath].status = 404; }},
      {"500 for the body", [&] { replies_[kBodyPath].status = 500; }},
      {"body with a wrong signature", [&] { replies_[kBodyPath].signedBody = "something else"; }},
      {"date without a signature", [&] { replies_[kDatePath].unsigned_ = true; }},
      {"markup after PM, not signed",
       [&] {
         replies_[kDatePath].signedBody = replies_[kDatePath].body;
         replies_[kDatePath].body += "<html>injected</html>";
       }},
      {"a date that cannot be read", [&] { replies_[kDatePath].body = "tomorrow"; }},
      {"a forged new-definition date", [&] { replies_[kNewDatePath].signedBody = "1/1/2100"; }},
      {"connection closed mid-body",
       [&] {
         replies_[kBodyPath].custom = [](httplib::Response& res) {
           res.set_content_provider(5000, "text/plain",
                                    [](size_t, size_t, httplib::DataSink& sink) {
                                      sink.write("FILE|ADD", 8);
                                      return false;
                                    });
         };
       }},
      {"body over the size bound",
       [&] {
         replies_[kBodyPath].custom = [&huge](httplib::Response& res) {
           res.set_content(huge, "text/plain");
         };
       }},
      {"server stopped", [&] { server_.Stop(); }},
  };
  for (const auto& fault : faults) {
    replies_ = good;
    fault.arrange();
    LiveUpdateResult result = Run();
    EXPECT_EQ(result.outcome, Outcome::Failed) << fault.what;
    EXPECT_EQ(view_.notifications, (std::vector<std::string>{Msg("MSG_UPDATE_FAILED")}))
        << fault.what;
    EXPECT_EQ(Snapshot(), before) << fault.what;
    EXPECT_TRUE(app_.Main().cmdLiveUpdate.Enabled()) << fault.what;
  }
}

TEST_F(UpdateScenario, RepliesNotBoundToThisRequestReleaseAndTimeFailAndKeysRotate) {
  app_.WriteDefinitions("FileDefinition.dat", {"old.exe=Old|[drive]a"});
  app_.WriteDataFile("date.dat", "3/1/2006 12:00:00 AM\r\n");
  app_.WriteDataFile("release.dat", "20060301-000000 5\r\n");
  const auto before = Snapshot();
  const auto good = replies_;
  TestSigningKey stranger, next;
  auto endorse = [](const TestSigningKey& by, const TestSigningKey& key) {
    return key.PublicDerBase64() + " " + by.Sign(update::EndorsementText(key.PublicDerBase64()));
  };
  const struct {
    const char* what;
    std::function<void()> arrange;
  } faults[] = {
      {"a body for another date",
       [&] {
         replies_[kBodyPath].target =
             "/asp/getDefsNEW.asp?prog=Quillonet&comp=Quillonet%20Software&date=1%2F1%2F2006";
       }},
      {"an older release than seen", [&] { replies_[kDatePath].sequence = 4; }},
      {"a stale date reply",
       [&] {
         replies_[kDatePath].body = "2/1/2006";
         replies_[kDatePath].release = "20060201-000000";
       }},
      {"an expired statement", [&] { replies_[kBodyPath].expiresIn = 0; }},
      {"a date that is not the stated release", [&] { replies_[kDatePath].body = "3/22/2006"; }},
      {"a new date of another release than the body",
       [&] {
         replies_[kNewDatePath].body = "3/22/2006";
         replies_[kNewDatePath].release = "20060322-000000";
       }},
      {"a key nobody endorsed", [&] { replies_[kBodyPath].signer = &stranger; }},
      {"a key endorsed by itself",
       [&] {
         replies_[kBodyPath].signer = &stranger;
         replies_[kBodyPath].endorsement = endorse(stranger, stranger);
       }},
  };
  for (const auto& fault : faults) {
    replies_ = good;
    fault.arrange();
    EXPECT_EQ(Run().outcome, Outcome::Failed) << fault.what;
    EXPECT_EQ(view_.notifications, (std::vector<std::string>{Msg("MSG_UPDATE_FAILED")}))
        << fault.what;
    EXPECT_EQ(Snapshot(), before) << fault.what;
  }

  // The server signs with a new key the trusted one endorsed (after a key of its own).
  replies_ = good;
  for (auto& [path, reply] : replies_) {
    reply.signer = &next;
    reply.endorsement = endorse(stranger, next) + ", " + endorse(key_, next);
  }
  EXPECT_EQ(Run().outcome, Outcome::Updated);
  EXPECT_EQ(Snapshot()["date.dat"], "3/21/2006 2:00:00 PM\r\n");
  EXPECT_EQ(app_.App().Files().ReadFile(app_.DataFolder() + "\\release.dat"),
            "20060321-140000 7\r\n");
}

TEST_F(UpdateScenario, ASlowServerEndsTheUpdateInTimeWhileEventsAreServed) {
  const auto before = Snapshot();
  std::string padding(1024, 'x');
  const struct {
    const char* what;
    std::function<void(httplib::Response&)> answer;
  } slow[] = {
      {"silent", [&](httplib::Response&) { server_.Stall(); }},
      {"one byte every 200 ms",
       [](httplib::Response& res) {
         res.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
           std::this_thread::sleep_for(std::chrono::milliseconds(200));
           return offset < 50 && sink.write("3", 1);
         });
       }},
      {"headers without end",
       [&](httplib::Response& res) {
         for (int i = 0; i < 100; ++i) res.set_header("X-Pad-" + std::to_string(i), padding);
       }},
  };
  for (const auto& c : slow) {
    replies_[kDatePath].custom = c.answer;
    int served = 0;
    app_.Host().EveryDoEvents([&] { ++served; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run().outcome, Outcome::Failed) << c.what;
    // Given up within the test limits (1 s without 16 bytes), the events served meanwhile.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << c.what;
    EXPECT_EQ(view_.notifications, (std::vector<std::string>{Msg("MSG_UPDATE_FAILED")}));
    EXPECT_EQ(Snapshot(), before) << c.what;
    if (c.what != slow[2].what) {
      EXPECT_GE(served, 10) << c.what;
    }
    server_.Release();
  }
}

TEST_F(UpdateScenario, UnsignedServerRepliesAreReadAsTheyCome) {
  ScopedEnv noKey("QUILLONET_UPDATE_KEY", std::nullopt);
  for (auto& [path, reply] : replies_) reply.unsigned_ = true;
  replies_[kDatePath].body = "  3/20/2006 1:00:00 PM</b><html>\r\n";
  replies_[kNewDatePath].body = "not a date";
  EXPECT_EQ(Run().outcome, Outcome::Updated);
  // The new-definition date could not be read: the server date stands in, so the same update
  // is not fetched again.
  EXPECT_EQ(Snapshot()["date.dat"], "3/20/2006 1:00:00 PM\r\n");
  EXPECT_EQ(Run().outcome, Outcome::Current);
}

TEST_F(UpdateScenario, OneRunAtATimeAndNeverUnderAScanOrDuringTheMerge) {
  auto& main = app_.Main();
  std::vector<Outcome> nested;
  bool scanStartedDuringMerge = false;
  app_.Host().EveryDoEvents([&] {
    nested.push_back(main.RunLiveUpdate().outcome);
    if (app_.App().Updater().Merging()) {
      main.cmdScanNow_Click();
      scanStartedDuringMerge = scanStartedDuringMerge || main.ScanInProgress();
    }
  });
  EXPECT_EQ(Run().outcome, Outcome::Updated);
  ASSERT_FALSE(nested.empty());
  for (Outcome o : nested) EXPECT_EQ(o, Outcome::Refused);
  EXPECT_FALSE(scanStartedDuringMerge);
  EXPECT_EQ(server_.Targets().size(), 3u);

  main.Scan().running = true;  // a scan is in progress
  EXPECT_EQ(main.RunLiveUpdate().outcome, Outcome::Refused);
  main.Scan().running = false;
}

TEST_F(UpdateScenario, AutomaticUpdateRunsOnceAfterThreeHundredIdleTicks) {
  auto& main = app_.Main();
  auto& host = app_.Host();
  main.timUpdate.Enable(true);
  host.Advance(100 * 1000);
  main.Scan().running = true;  // ticks while a scan runs do not count
  host.Advance(50 * 1000);
  main.Scan().running = false;
  host.Advance(200 * 1000);
  EXPECT_TRUE(server_.Targets().empty()) << "300 idle ticks so far";
  host.Advance(1000);
  EXPECT_EQ(server_.Targets().size(), 3u);
  EXPECT_FALSE(main.timUpdate.IsEnabled());
  host.Advance(1000 * 1000);
  EXPECT_EQ(server_.Targets().size(), 3u) << "once per program start";
}

}  // namespace
}  // namespace quill::test
