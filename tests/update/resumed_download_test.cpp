// Downloads cut short and resumed, against nginx serving the file as a publisher's web server
// does: what the second request asks for, what it costs, and what is left on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <random>
#include <string>

#include "common/line_file.h"
#include "common/private_folder.h"
#include "common/unique_fd.h"
#include "support/nginx_server.h"
#include "support/scripted_http_server.h"
#include "support/update_test_support.h"
#include "update/download.h"

namespace trubkom::update {
namespace {

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

TEST(GetInetFileResuming, AsksOnlyForTheRestOfAPartThatIsStillCurrent) {
  // "?cut=N" sends the first N bytes at once and the rest slowly, so a cancel on seeing them
  // lands before the end.
  const std::string slow_after_cut =
      "if ($arg_cut) { set $limit_rate 256k; } limit_rate_after $arg_cut;";
  testing::NginxServer nginx("location / { " + slow_after_cut +
                             " } location /plain/ { max_ranges 0; " + slow_after_cut + " }");
  if (!nginx.available()) GTEST_SKIP() << "nginx is not installed";
  ASSERT_TRUE(nginx.running());
  const std::string file = RandomBytes(4 << 20, 1);
  const std::string changed = RandomBytes(3 << 20, 2);
  struct Case {
    const char* what;
    const char* path;             // on the server
    double cut;                   // share of the file after which the first try is cancelled
    bool change_between = false;  // the publisher replaces the file before the second try
    int resumed_status;           // of the second request
  };
  const Case cases[] = {
      {"cut early", "/updates/p.upd", 0.1, false, 206},
      {"cut at half", "/updates/p.upd", 0.5, false, 206},
      {"cut late", "/updates/p.upd", 0.9, false, 206},
      {"a server that ignores ranges", "/plain/p.upd", 0.5, false, 200},
      {"the file changed meanwhile", "/updates/p.upd", 0.5, true, 200},
  };
  std::size_t served = 0;  // requests so far, two a case
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nginx.Put(c.path, file, 1'700'000'000);
    common::PrivateFolder folder("trubkom-resume-");
    common::UniqueFd dir(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY));
    const common::FileAt target{dir.get(), "p.upd", folder.path() + "/p.upd"};
    std::atomic<bool> cancel = false;
    DownloadControl control;
    control.cancel = &cancel;
    const auto cut = static_cast<std::uint64_t>(c.cut * file.size());
    control.progress = [&](std::uint64_t received, std::uint64_t) {
      if (received >= cut) cancel = true;
    };
    const std::string first_try = nginx.Url(c.path) + "?cut=" + std::to_string(cut);
    EXPECT_FALSE(GetInetFileResuming(first_try, target, "", false, control).ok());
    const std::size_t kept = testing::Snapshot(folder.path())["p.upd.part"].size();
    ASSERT_GT(kept, 0u);
    ASSERT_LT(kept, file.size());

    if (c.change_between) nginx.Put(c.path, changed, 1'700'000'100);
    const std::string& wanted = c.change_between ? changed : file;
    // The cancelled request is logged before the next is made, so that the next is the last.
    ASSERT_EQ(nginx.RequestsOnceLogged(++served).size(), served);
    ASSERT_TRUE(GetInetFileResuming(nginx.Url(c.path), target, "", false).ok());
    EXPECT_EQ(testing::Snapshot(folder.path()), (testing::Tree{{"p.upd", wanted}}));
    const auto requests = nginx.RequestsOnceLogged(++served);
    ASSERT_EQ(requests.size(), served);
    EXPECT_EQ(requests.back().range, "bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(requests.back().status, c.resumed_status);
    EXPECT_EQ(requests.back().body_bytes, c.resumed_status == 206
                                              ? static_cast<long>(wanted.size() - kept)
                                              : static_cast<long>(wanted.size()));
  }
}

// A part the server cannot continue is started over; a part of a file the server no longer has
// is not kept, nor an empty one of a download that never began.
TEST(GetInetFileResuming, StartsOverOrDropsAPartThatCannotBeContinued) {
  testing::NginxServer nginx;
  if (!nginx.available()) GTEST_SKIP() << "nginx is not installed";
  ASSERT_TRUE(nginx.running());
  const std::string file = RandomBytes(1000, 3);
  nginx.Put("/updates/p.upd", file, 1'700'000'000);
  struct Case {
    const char* what;
    std::string part;
    const char* path;
    bool ok;
    testing::Tree left;
  };
  const Case cases[] = {
      {"a part as long as the file", file, "/updates/p.upd", true, {{"p.upd", file}}},
      {"a part longer than the file", file + "more", "/updates/p.upd", true, {{"p.upd", file}}},
      {"a file the server does not have", file.substr(0, 10), "/updates/gone.upd", false, {}},
      {"a server that cannot be reached, nothing yet", "", nullptr, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    common::PrivateFolder folder("trubkom-resume-");
    // The version the server gives: nginx's ETag of that file.
    if (!c.part.empty()) {
      testing::Build(folder.path(),
                     {{"p.upd.part", c.part}, {"p.upd.part-version", "\"6553f100-3e8\""}});
    }
    common::UniqueFd dir(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY));
    const common::FileAt target{dir.get(), "p.upd", folder.path() + "/p.upd"};
    const std::string address = c.path ? nginx.Url(c.path) : "http://127.0.0.1:9/p.upd";
    EXPECT_EQ(GetInetFileResuming(address, target, "", false).ok(), c.ok);
    EXPECT_EQ(testing::Snapshot(folder.path()), c.left);
  }
}

// What lies where a download's part belongs and is no part of it (a link, a FIFO, a folder, or a
// version with a line break planted beside a part) neither blocks the download for ever nor goes
// into the request's headers: the download starts over and the file arrives whole.
TEST(GetInetFileResuming, WhatIsNoPartGoesAndTheDownloadStartsOver) {
  const std::string body = RandomBytes(10'000, 3);
  struct Case {
    const char* what;
    std::function<void(const std::string& folder)> plant;
  };
  const Case cases[] = {
      {"a link",
       [](const std::string& f) { ::symlink("/etc/hostname", (f + "/p.upd.part").c_str()); }},
      {"a FIFO", [](const std::string& f) { ::mkfifo((f + "/p.upd.part").c_str(), 0600); }},
      {"a folder", [](const std::string& f) { ::mkdir((f + "/p.upd.part").c_str(), 0700); }},
      {"a version with a line break",
       [](const std::string& f) {
         testing::Build(f, {{"p.upd.part", "abc"}, {"p.upd.part-version", "\"v\"\r\nX-Evil: 1"}});
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::ScriptedHttpServer server({{"/p.upd", testing::Respond("200 OK", body)}});
    common::PrivateFolder folder("trubkom-resume-");
    c.plant(folder.path());
    common::UniqueFd dir(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY));
    const common::FileAt target{dir.get(), "p.upd", folder.path() + "/p.upd"};
    common::Status fetched =
        GetInetFileResuming(server.Url("/p.upd"), target, "", false, DownloadControl{});
    ASSERT_TRUE(fetched.ok()) << fetched.error().message;
    EXPECT_EQ(common::ReadFile(folder.path() + "/p.upd").value_or(""), body);
    for (const std::string& request : server.Requests()) {
      EXPECT_EQ(request.find("X-Evil"), std::string::npos) << request;
    }
  }
}

}  // namespace
}  // namespace trubkom::update
