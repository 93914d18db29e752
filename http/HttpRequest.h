#pragma once
#include <string>

// One asynchronous request, owned by its thread. Address and body are
// carried whole, however long.
struct HttpRequest {
    std::string url;
    std::string data;
    int userid = 0;
    // 0: POST `data` to `url`; anything else: GET `url`.
    int responseType = 0;
    int param = 0;
    // Empty: the environment's proxies.
    std::string proxy;
};
