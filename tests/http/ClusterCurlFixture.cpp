#include "ClusterCurlFixture.h"

#include <algorithm>

namespace httptest {

std::string Pattern(size_t size) {
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 131 + 7) % 251);
    return body;
}

void ClusterCurl::SetUp() {
    m_body = Pattern(1000000);
    auto& http = m_server.Http();
    http.Get("/file", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(m_body, "application/octet-stream");
    });
    http.Get("/small", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("hello installer", "text/plain");
    });
    http.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("<html>no such package</html>", "text/html");
    });
    // No Content-Length: the size stays unknown to the client.
    http.Get("/chunked", [this](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider(
            "application/octet-stream", [this](size_t offset, httplib::DataSink& sink) {
                if (offset >= m_body.size()) {
                    sink.done();
                    return true;
                }
                size_t n = std::min<size_t>(65536, m_body.size() - offset);
                return sink.write(m_body.data() + offset, n);
            });
    });
    // Announces 1,000,000 bytes, sends 1000, then stalls.
    http.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(m_body.size(), "application/octet-stream",
                                 [this](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset == 0)
                                         return sink.write(m_body.data(), 1000);
                                     m_server.WaitUntilReleased();
                                     return false;
                                 });
    });
    // Announces 1,000,000 bytes, sends 1000, then drops the connection.
    http.Get("/cut", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(m_body.size(), "application/octet-stream",
                                 [this](size_t offset, size_t, httplib::DataSink& sink) {
                                     return offset == 0 && sink.write(m_body.data(), 1000);
                                 });
    });
    http.Get(R"(/hop/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
        int left = std::stoi(req.matches[1]);
        if (left == 0) {
            res.set_content("arrived", "text/plain");
        } else {
            res.set_redirect("/hop/" + std::to_string(left - 1));
        }
    });
    http.Get("/loop",
             [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
    http.Post("/echo", [this](const httplib::Request& req, httplib::Response& res) {
        m_strPostType = req.get_header_value("Content-Type");
        m_strPostLength = req.get_header_value("Content-Length");
        m_nContentTypeLines = req.get_header_value_count("Content-Type");
        res.set_content(req.body, "application/octet-stream");
    });
    ASSERT_TRUE(m_server.Start());
}

}  // namespace httptest
