#include <glib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "DemoServerProcess.h"
#include "demo/server/CDemoServer.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using workflowtest::BinDir;

namespace {

std::string Base64(const std::string& text) {
    gchar* p = g_base64_encode(reinterpret_cast<const guchar*>(text.data()), text.size());
    std::string out = p;
    g_free(p);
    return out;
}

int RunShell(const std::string& cmd) {
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const fs::path& p) {
    return "'" + p.string() + "'";
}

}  // namespace

TEST(DemoServer, DecodesTheInfoFieldAndRefusesAnythingElse) {
    std::string line, reason;
    // '?>' encodes to a '+' and a '/' at the ends: taken literally, not as form blanks.
    std::string json = "{\"channel\" : \"渠道\", \"x\" : \"?>?>\"}";
    std::string b64 = Base64(json);
    ASSERT_NE(b64.find_first_of("+/"), std::string::npos);
    ASSERT_TRUE(CDemoServer::DecodeStatistics("info=" + b64, line, reason)) << reason;
    EXPECT_EQ(line, "{\"channel\":\"渠道\",\"x\":\"?>?>\"}");
    ASSERT_TRUE(CDemoServer::DecodeStatistics("a=1&info=" + b64 + "&b=2", line, reason));

    EXPECT_FALSE(CDemoServer::DecodeStatistics("data=" + b64, line, reason));
    EXPECT_EQ(reason, "no info field");
    EXPECT_FALSE(CDemoServer::DecodeStatistics("info=" + b64.substr(1), line, reason));
    EXPECT_EQ(reason, "info is not Base64");
    EXPECT_FALSE(CDemoServer::DecodeStatistics("info=" + Base64("[1,2]"), line, reason));
    EXPECT_EQ(reason, "info is not a JSON object");
    EXPECT_FALSE(CDemoServer::DecodeStatistics("info=" + Base64("{broken"), line, reason));
}

TEST(DemoPackage, InstallsIntoAFolderWithBlanksAndFailsOnABadOne) {
    testsupport::TempDir dir;
    fs::path setup = BinDir() / "TovadocSetup.exe";
    fs::path target = dir / "Program Files" / "Tovadoc";
    EXPECT_EQ(RunShell(Quote(setup) + " /VERYSILENT /SUPPRESSMSGBOXES " +
                       Quote("/DIR=" + target.string()) + " >/dev/null 2>&1"),
              0);
    ASSERT_TRUE(fs::exists(target / "Tovadoc.exe"));
    EXPECT_EQ(RunShell(Quote(target / "Tovadoc.exe") + " >/dev/null"), 0);
    EXPECT_NE(testsupport::ReadFile(target / "Tovadoc.log").find("Tovadoc started"),
              std::string::npos);

    // A file where the folder should be: non-zero, nothing half-written.
    testsupport::WriteFile(dir / "blocked", "x");
    EXPECT_EQ(RunShell(Quote(setup) + " /VERYSILENT " +
                       Quote("/DIR=" + (dir / "blocked" / "sub").string()) + " 2>/dev/null"),
              4);
    // No folder, or a switch it does not know: usage error.
    EXPECT_EQ(RunShell(Quote(setup) + " /VERYSILENT 2>/dev/null"), 2);
    EXPECT_EQ(RunShell(Quote(setup) + " /NOPE /DIR=/tmp 2>/dev/null"), 2);
    // The stub alone carries no product.
    EXPECT_EQ(RunShell(Quote(BinDir() / "tovadoc-setup-stub") + " /DIR=" + Quote(dir / "stub") +
                       " 2>/dev/null"),
              3);
    EXPECT_FALSE(fs::exists(dir / "stub" / "Tovadoc.exe"));
}

TEST(DemoServer, ServesTheFilesAndHonoursItsModes) {
    testsupport::TempDir dir;
    workflowtest::CDemoServerProcess server;
    ASSERT_TRUE(server.Start(dir.path(), {"--pack", "missing", "--net", "fail"})) << server.Log();
    std::string curl = "curl -s -o " + Quote(dir / "out") + " -w '%{http_code}' ";
    auto status = [&](const workflowtest::CDemoServerProcess& srv, const std::string& path) {
        std::string cmd = curl + srv.Url(path) + " > " + Quote(dir / "code");
        RunShell(cmd);
        return testsupport::ReadFile(dir / "code");
    };
    EXPECT_EQ(status(server, "/software/install_pack/tvdoc2.0.exe"), "404");
    EXPECT_EQ(status(server, "/software/third_party/NETFramework4.5.exe"), "200");
    EXPECT_EQ(testsupport::ReadFile(dir / "out").rfind("#!/bin/sh", 0), 0u);
    EXPECT_EQ(status(server, "/elsewhere"), "404");
    server.Stop();

    workflowtest::CDemoServerProcess normal;
    ASSERT_TRUE(normal.Start(dir.path()));
    EXPECT_EQ(status(normal, "/software/third_party/NETFramework4.0.exe"), "200");
    EXPECT_EQ(fs::file_size(dir / "out"), fs::file_size(BinDir() / "NETFramework4.exe"));
    RunShell("curl -s -o /dev/null -d info=" + Base64("{\"lang\":\"en_us\"}") + " " +
             normal.Url("/Soft/Sys/InstallationPackage"));
    ASSERT_EQ(normal.Records().size(), 1u) << normal.Log();
    EXPECT_EQ(normal.Records()[0], "{\"lang\":\"en_us\"}");
    EXPECT_NE(normal.Log().find("record {\"lang\":\"en_us\"}"), std::string::npos);
}
