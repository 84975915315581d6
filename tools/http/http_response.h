// The bytes of the loopback server's answers, whoever makes them: the handler's page, or the
// server's own refusal. Every answer carries Content-Length, Cache-Control: no-store,
// X-Content-Type-Options: nosniff and Connection: close; a HEAD request gets the headers of the
// same answer without its body.
#pragma once

#include <string>
#include <string_view>

#include "http/http_request.h"

namespace scenario::tool {

// The handler's answer.
struct http_response {
    int status = 200;  // 200 to 599
    std::string content_type = "text/html; charset=utf-8";
    std::string body;
};

// The answer to an accepted request. A status outside 200 to 599, or a content type holding a
// control character (which would end its header line and start another), gives 500 instead.
std::string answer_bytes(const http_request& request, const http_response& response);

// The server's own answer with this status (400, 403, 405 with its Allow header, 408, 431, 500,
// 503), its reason phrase as a plain-text body.
std::string refusal_bytes(int status);

}  // namespace scenario::tool
