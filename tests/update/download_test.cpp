#include "update/download.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "common/private_folder.h"
#include "support/scripted_http_server.h"
#include "support/temp_catalogue.h"
#include "support/tinyproxy_process.h"
#include "support/update_test_support.h"
#include "update/package_keys.h"
#include "update/update_server.h"

namespace trubkom::update {
namespace {

using testing::Respond;
using testing::ScriptedHttpServer;
using testing::ScriptedResponse;
using testing::Then;
constexpr std::size_t kLoweredCap = 1 << 20;

DownloadControl Lowered() {
  DownloadControl control;
  control.connect_timeout = std::chrono::seconds(2);
  control.stall_bytes_per_second = 1024;         // the speed is averaged over seconds: a high bar
  control.stall_time = std::chrono::seconds(1);  // sees a stall soon after the last bytes
  control.max_bytes = kLoweredCap;
  control.max_redirects = 3;
  return control;
}

// A head without Content-Length: the body ends when the connection does.
ScriptedResponse Unsized(std::string body, Then then) {
  return {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", std::move(body), then};
}

ScriptedResponse Sized(std::size_t announced, std::string body, Then then) {
  return {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(announced) + "\r\n\r\n",
          std::move(body), then};
}

ScriptedResponse RedirectTo(const std::string& location) {
  return Respond("302 Found", "moved", "Location: " + location + "\r\n");
}

struct Case {
  const char* name;
  ScriptedResponse answer;  // served at /file
  bool ok;
  std::string body;  // the file's content when ok
};

const std::string kBody = std::string(100'000, 'b') + std::string("\r\n\0end", 6);

TEST(GetInetFile, LeavesTheWholeBodyOrNothing) {
  const std::string half(500, 'h');
  const std::string at_cap(kLoweredCap, 'c');
  const std::string beyond_cap(kLoweredCap + 1, 'c');
  const std::vector<Case> cases = {
      {"body with length", Respond("200 OK", kBody), true, kBody},
      {"body without length", Unsized(kBody, Then::kClose), true, kBody},
      {"empty body", Respond("200 OK", ""), true, ""},
      {"redirect on the same server", RedirectTo("/other"), true, "other"},
      {"404", Respond("404 Not Found", "no such file"), false, ""},
      {"500", Respond("500 Internal Server Error", "oops"), false, ""},
      {"300 without a location", Respond("300 Multiple Choices", "pick"), false, ""},
      {"stalls after some bytes", Sized(1000, half, Then::kStall), false, ""},
      {"never ends", Unsized("", Then::kEndless), false, ""},
      {"drips a few bytes a second", Unsized("", Then::kDrip), false, ""},
      {"announces more than the cap", Sized(2 << 20, half, Then::kStall), false, ""},
      // Whole bodies that end at once: only the cap can refuse them.
      {"the cap exactly, with length", Respond("200 OK", at_cap), true, at_cap},
      {"the cap exactly, without length", Unsized(at_cap, Then::kClose), true, at_cap},
      {"a byte beyond the cap, with length", Respond("200 OK", beyond_cap), false, ""},
      {"a byte beyond the cap, without length", Unsized(beyond_cap, Then::kClose), false, ""},
      {"reset halfway, with length", Sized(1000, half, Then::kReset), false, ""},
      {"reset halfway, without length", Unsized(half, Then::kReset), false, ""},
      {"shorter than announced", Sized(1000, half, Then::kClose), false, ""},
      {"redirect to file://", RedirectTo("file:///etc/passwd"), false, ""},
      {"redirect to ftp://", RedirectTo("ftp://127.0.0.1/file"), false, ""},
      {"redirect loop", RedirectTo("/file"), false, ""},
  };
  for (const Case& c : cases) {
    for (bool target_exists : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (target_exists ? ", over an old file" : ""));
      ScriptedHttpServer server({{"/file", c.answer}, {"/other", Respond("200 OK", "other")}});
      common::PrivateFolder folder("trubkom-download-");
      const std::string target = folder.path() + "/upd151207.upd";
      if (target_exists) testing::Build(folder.path(), {{"upd151207.upd", "old"}});

      EXPECT_EQ(GetInetFile(server.Url("/file"), target, "", false, Lowered()).ok(), c.ok);

      testing::Tree expected;
      if (c.ok) expected["upd151207.upd"] = c.body;
      if (!c.ok && target_exists) expected["upd151207.upd"] = "old";
      EXPECT_EQ(testing::Snapshot(folder.path()), expected);
    }
  }
}

// The library's failures a download meets most are said in Russian, as the log is.
TEST(GetInetFile, SaysCommonFailuresInRussian) {
  const std::pair<ScriptedResponse, const char*> cases[] = {
      {Sized(1000, std::string(500, 'h'), Then::kClose), "файл пришёл не целиком"},
      {Sized(1000, std::string(500, 'h'), Then::kReset), "соединение оборвалось"},
  };
  for (const auto& [answer, said] : cases) {
    ScriptedHttpServer server({{"/file", answer}});
    common::PrivateFolder folder("trubkom-download-");
    common::Status got =
        GetInetFile(server.Url("/file"), folder.path() + "/f", "", false, Lowered());
    ASSERT_FALSE(got.ok());
    EXPECT_EQ(got.error().message, testing::W(said));
  }
}

TEST(GetInetFile, RefusesAddressesAndProxiesItCannotUse) {
  ScriptedHttpServer server({{"/file", Respond("200 OK", "body")}});
  const std::string closed = "127.0.0.1:" + std::to_string(testing::FreeLoopbackPort());
  struct Refused {
    const char* name;
    std::string address, proxy;
    bool use_proxy;
  };
  const std::vector<Refused> cases = {
      {"file address", "file:///etc/hostname", "", false},
      {"nothing listening", "http://" + closed + "/file", "", false},
      {"proxy asked for but empty", server.Url("/file"), "", true},
      {"proxy not listening", server.Url("/file"), closed, true},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.name);
    common::PrivateFolder folder("trubkom-download-");
    EXPECT_FALSE(
        GetInetFile(c.address, folder.path() + "/f", c.proxy, c.use_proxy, Lowered()).ok());
    EXPECT_TRUE(testing::Snapshot(folder.path()).empty());
  }
}

TEST(GetInetFile, CancelStopsTheTransferAndLeavesNoFile) {
  struct Cancel {
    const char* name;
    ScriptedResponse answer;
    bool before_start;  // else once the first bytes are in
  };
  const std::vector<Cancel> cases = {
      {"before the start", Respond("200 OK", "body"), true},
      {"a body that never ends", Unsized("", Then::kEndless), false},
      {"a body that stalls", Sized(1000, "some", Then::kStall), false},
  };
  for (const Cancel& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHttpServer server({{"/file", c.answer}});
    common::PrivateFolder folder("trubkom-download-");
    std::atomic<bool> cancel = c.before_start;
    DownloadControl control;  // no cap, no stall limit that would end it first
    control.cancel = &cancel;
    control.progress = [&](std::uint64_t received, std::uint64_t) {
      if (received > 0) cancel = true;
    };
    EXPECT_FALSE(GetInetFile(server.Url("/file"), folder.path() + "/f", "", false, control).ok());
    EXPECT_TRUE(testing::Snapshot(folder.path()).empty());
  }
}

TEST(GetInetFile, ReportsGrowingByteCounts) {
  const std::string body(3 << 20, 'p');
  struct Progress {
    const char* name;
    ScriptedResponse answer;
    std::uint64_t total;
  };
  const std::vector<Progress> cases = {
      {"with length", Respond("200 OK", body), body.size()},
      {"without length", Unsized(body, Then::kClose), 0},
  };
  for (const Progress& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHttpServer server({{"/file", c.answer}});
    common::PrivateFolder folder("trubkom-download-");
    std::vector<std::uint64_t> seen;
    DownloadControl control = Lowered();
    control.max_bytes = body.size();
    control.progress = [&](std::uint64_t received, std::uint64_t total) {
      seen.push_back(received);
      EXPECT_EQ(total, c.total);
    };
    ASSERT_TRUE(GetInetFile(server.Url("/file"), folder.path() + "/f", "", false, control).ok());
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), body.size());
  }
}

TEST(GetInetFile, GoesThroughTheProxyOnlyWhenAsked) {
  testing::TinyproxyProcess proxy;
  if (!proxy.available()) GTEST_SKIP() << "tinyproxy is not installed";
  ASSERT_TRUE(proxy.running());
  // The environment names the proxy too: without use_proxy it must be ignored.
  struct ProxyInEnvironment {
    explicit ProxyInEnvironment(const std::string& address) {
      ::setenv("http_proxy", address.c_str(), 1);
    }
    ~ProxyInEnvironment() { ::unsetenv("http_proxy"); }
  } environment(proxy.address());
  struct Route {
    bool use_proxy;
    bool via_proxy;  // the request the server saw came through the proxy
  };
  for (const Route& c : {Route{true, true}, Route{false, false}}) {
    SCOPED_TRACE(c.use_proxy ? "with the proxy" : "without");
    ScriptedHttpServer server({{"/file", Respond("200 OK", kBody)}});
    common::PrivateFolder folder("trubkom-download-");
    ASSERT_TRUE(GetInetFile(server.Url("/file"), folder.path() + "/f", proxy.address(), c.use_proxy,
                            Lowered())
                    .ok());
    EXPECT_EQ(testing::Snapshot(folder.path()), (testing::Tree{{"f", kBody}}));
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(
        server.Requests()[0].find(std::string("Via: 1.1 ") + proxy.kViaName) != std::string::npos,
        c.via_proxy)
        << server.Requests()[0];
  }
}

TEST(UpdateServerBase, EnvironmentOverridesAndEndsInSlash) {
  ::unsetenv("TRUBKOM_UPDATE_SERVER");
  const std::string built_in = UpdateServerBase();
  // A demo build has no server of its own; another build's ends in "/".
  EXPECT_EQ(built_in.empty(), BuiltWithDemoKeys()) << built_in;
  if (!built_in.empty()) {
    EXPECT_TRUE(built_in.starts_with("http") && built_in.ends_with("/")) << built_in;
  }
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"http://updates.example/catalogue", "http://updates.example/catalogue/"},
      {"http://127.0.0.1:9000/", "http://127.0.0.1:9000/"},
      {"", built_in},
  };
  for (const auto& [environment, expected] : cases) {
    ::setenv("TRUBKOM_UPDATE_SERVER", environment, 1);
    EXPECT_EQ(UpdateServerBase(), expected);
  }
  ::unsetenv("TRUBKOM_UPDATE_SERVER");
}

}  // namespace
}  // namespace trubkom::update
