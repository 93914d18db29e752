#include "demo/server/CDemoServer.h"

#include <glib.h>
#include <httplib.h>
#include <json/json.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace {

const char kFailingNetFx[] =
    "#!/bin/sh\n"
    "echo 'NETFramework4: this demo installer always fails' >&2\n"
    "exit 1\n";
const char kFailingPack[] =
    "#!/bin/sh\n"
    "echo 'TovadocSetup: simulated installation failure' >&2\n"
    "exit 3\n";
// Like a real setup, it waits on a helper of its own, whose pid it leaves
// beside itself: ending the setup must end the helper too.
const char kHangingPack[] =
    "#!/bin/sh\n"
    "echo 'TovadocSetup: waiting for an answer that never comes'\n"
    "sleep 300 &\n"
    "echo $! > \"$0.helper\"\n"
    "wait\n";

const size_t kChunk = 16 * 1024;

bool ReadWhole(const std::string& strPath, std::string& strData) {
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    strData = out.str();
    return true;
}

}  // namespace

CDemoServer::CDemoServer(DemoServerOptions options)
    : m_options(std::move(options)), m_pServer(std::make_unique<httplib::Server>()) {
    m_fnOutput = [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
    auto& server = *m_pServer;
    server.Get("/software/third_party/NETFramework4.0.exe",
               [this](const httplib::Request& req, httplib::Response& res) {
                   ServeFile("NETFramework4.exe", m_options.strNetMode, req, res);
               });
    server.Get("/software/third_party/NETFramework4.5.exe",
               [this](const httplib::Request& req, httplib::Response& res) {
                   ServeFile("NETFramework4.exe", m_options.strNetMode, req, res);
               });
    server.Get("/software/install_pack/tvdoc2.0.exe",
               [this](const httplib::Request& req, httplib::Response& res) {
                   ServeFile("TovadocSetup.exe", m_options.strPackMode, req, res);
               });
    server.Post(
        "/Soft/Sys/InstallationPackage",
        [this](const httplib::Request& req, httplib::Response& res) { OnStatistics(req, res); });
    server.set_error_handler([this](const httplib::Request& req, httplib::Response& res) {
        // Handlers that wrote their own answer have already reported it.
        if (!res.body.empty())
            return;
        res.set_content("not found\n", "text/plain");
        Print(req.method + " " + req.path + " -> " + std::to_string(res.status));
    });
}

CDemoServer::~CDemoServer() {
    Stop();
}

void CDemoServer::SetOutput(std::function<void(const std::string&)> fnOutput) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fnOutput = std::move(fnOutput);
}

void CDemoServer::Print(const std::string& strLine) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fnOutput)
        m_fnOutput(strLine);
}

int CDemoServer::Bind(int nPort) {
    if (nPort == 0)
        return m_pServer->bind_to_any_port("127.0.0.1");
    return m_pServer->bind_to_port("127.0.0.1", nPort) ? nPort : -1;
}

bool CDemoServer::Run() {
    return m_pServer->listen_after_bind();
}

void CDemoServer::Stop() {
    m_bStopping = true;
    if (m_pServer)
        m_pServer->stop();
}

void CDemoServer::ServeFile(const char* szFile, const std::string& strMode,
                            const httplib::Request& req, httplib::Response& res) {
    std::string body;
    if (strMode == "missing") {
        res.status = 404;
        return;  // the error handler writes the page and the line
    } else if (strMode == "busy") {
        res.status = 503;
        res.set_header("Retry-After", "30");
        res.set_content("busy, come back later\n", "text/plain");
        Print(req.method + " " + req.path + " -> 503 (busy)");
        return;
    } else if (strMode == "fail") {
        body = szFile == std::string("TovadocSetup.exe") ? kFailingPack : kFailingNetFx;
    } else if (strMode == "hang") {
        body = kHangingPack;
    } else if (!ReadWhole(m_options.strFilesDir + "/" + szFile, body)) {
        Print("cannot read " + m_options.strFilesDir + "/" + szFile);
        res.status = 404;
        return;
    }
    if (strMode == "cut-once") {
        // Offers ranges of one version, and drops the first answer halfway.
        res.set_header("Accept-Ranges", "bytes");
        res.set_header("ETag", "\"demo-" + std::to_string(body.size()) + "\"");
        if (!req.ranges.empty()) {
            Print(req.method + " " + req.path + " -> 206 (from byte " +
                  std::to_string(req.ranges[0].first) + ")");
            res.set_content(body, "application/octet-stream");
            return;
        }
        if (!m_bCutDone.exchange(true)) {
            Print(req.method + " " + req.path + " -> 200 (" + std::to_string(body.size()) +
                  " bytes, cut after " + std::to_string(body.size() / 2) + ")");
            auto shared = std::make_shared<std::string>(std::move(body));
            res.set_content_provider(
                shared->size(), "application/octet-stream",
                [shared](size_t offset, size_t length, httplib::DataSink& sink) {
                    const size_t nHalf = shared->size() / 2;
                    if (offset >= nHalf)
                        return false;
                    return sink.write(shared->data() + offset, std::min(length, nHalf - offset));
                });
            return;
        }
    }
    Print(req.method + " " + req.path + " -> 200 (" + std::to_string(body.size()) + " bytes" +
          (strMode == "ok" ? "" : ", " + strMode) + ")");
    if (m_options.nSlowMs <= 0) {
        res.set_content(body, "application/octet-stream");
        return;
    }
    auto shared = std::make_shared<std::string>(std::move(body));
    int nSlowMs = m_options.nSlowMs;
    res.set_content_provider(
        shared->size(), "application/octet-stream",
        [this, shared, nSlowMs](size_t offset, size_t length, httplib::DataSink& sink) {
            if (m_bStopping)
                return false;
            size_t n = std::min(length, kChunk);
            if (!sink.write(shared->data() + offset, n))
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(nSlowMs));
            return true;
        });
}

bool CDemoServer::DecodeStatistics(const std::string& strBody, std::string& strJsonLine,
                                   std::string& strReason) {
    // The Base64 text travels unescaped, so '+' is taken as it stands
    // rather than as a form-encoded blank.
    std::string value;
    bool bFound = false;
    size_t pos = 0;
    while (pos <= strBody.size()) {
        size_t end = strBody.find('&', pos);
        if (end == std::string::npos)
            end = strBody.size();
        std::string field = strBody.substr(pos, end - pos);
        if (field.rfind("info=", 0) == 0) {
            value = field.substr(5);
            bFound = true;
            break;
        }
        pos = end + 1;
    }
    if (!bFound) {
        strReason = "no info field";
        return false;
    }
    if (value.empty() || value.size() % 4 != 0 ||
        value.find_first_not_of(
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") !=
            std::string::npos) {
        strReason = "info is not Base64";
        return false;
    }
    gsize nLen = 0;
    guchar* decoded = g_base64_decode(value.c_str(), &nLen);
    std::string json(reinterpret_cast<const char*>(decoded), nLen);
    g_free(decoded);

    Json::CharReaderBuilder reader;
    Json::Value record;
    std::string errors;
    std::istringstream in(json);
    if (!Json::parseFromStream(reader, in, &record, &errors) || !record.isObject()) {
        strReason = "info is not a JSON object";
        return false;
    }
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = true;
    strJsonLine = Json::writeString(writer, record);
    return true;
}

void CDemoServer::OnStatistics(const httplib::Request& req, httplib::Response& res) {
    std::string line, reason;
    if (!DecodeStatistics(req.body, line, reason)) {
        Print("POST " + req.path + " -> 400 (" + reason + ")");
        res.status = 400;
        res.set_content("{\"code\":1,\"msg\":\"" + reason + "\"}", "application/json");
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_options.strStatsFile.empty()) {
            std::ofstream out(m_options.strStatsFile, std::ios::app);
            out << line << "\n";
        }
    }
    Print("POST " + req.path + " -> 200");
    Print("record " + line);
    res.set_content("{\"code\":0}", "application/json");
}
