#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

// What the demo server serves and how it misbehaves on request.
struct DemoServerOptions {
    std::string strFilesDir;         // holds NETFramework4.exe and TovadocSetup.exe
    std::string strStatsFile;        // decoded records, one JSON line each; empty: none
    std::string strNetMode = "ok";   // ok | fail (installer exits 1) | missing (404)
    std::string strPackMode = "ok";  // ok | fail (exits 3) | hang (never ends, nor does its helper)
                                     // | missing (404) | busy (503) | cut-once (drops the first
                                     // answer halfway)
    int nSlowMs = 0;                 // pause after every 16 KiB of a download body
};

// The product's download and statistics servers in one, on 127.0.0.1:
//   GET  /software/third_party/NETFramework4.0.exe and ...4.5.exe
//   GET  /software/install_pack/tvdoc2.0.exe
//   POST /Soft/Sys/InstallationPackage   (form field info = Base64 of JSON)
class CDemoServer {
public:
    explicit CDemoServer(DemoServerOptions options);
    ~CDemoServer();
    CDemoServer(const CDemoServer&) = delete;
    CDemoServer& operator=(const CDemoServer&) = delete;

    // Binds 127.0.0.1 on nPort (0: any free port). Returns the port, or -1.
    int Bind(int nPort);
    // Serves until Stop(); returns false when serving failed.
    bool Run();
    void Stop();

    // Every line the server reports (requests, records) goes here; stdout by default.
    void SetOutput(std::function<void(const std::string&)> fnOutput);

    // Decodes a form body "info=<Base64 of JSON>" into one compact JSON line.
    // False, with a reason, for anything else.
    static bool DecodeStatistics(const std::string& strBody, std::string& strJsonLine,
                                 std::string& strReason);

private:
    void ServeFile(const char* szFile, const std::string& strMode, const httplib::Request& req,
                   httplib::Response& res);
    void OnStatistics(const httplib::Request& req, httplib::Response& res);
    void Print(const std::string& strLine);

    DemoServerOptions m_options;
    std::unique_ptr<httplib::Server> m_pServer;
    std::atomic<bool> m_bStopping{false};
    std::atomic<bool> m_bCutDone{false};
    std::mutex m_mutex;  // output and the statistics file
    std::function<void(const std::string&)> m_fnOutput;
};
