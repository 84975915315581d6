// The answers' status lines and headers, written in one place so that no answer goes out without
// the headers every one carries.
#include "http/http_response.h"

#include <algorithm>

namespace scenario::tool {
namespace {

std::string_view reason_phrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "";
    }
}

// A tab may stand in a header value; no other control character may.
bool fits_a_header(std::string_view value) {
    return std::none_of(value.begin(), value.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && c != '\t') || u == 0x7f;
    });
}

std::string answer(int status, std::string_view content_type, std::string_view body, bool with_body,
                   std::string_view extra_headers = {}) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " ";
    out += reason_phrase(status);
    out += "\r\n";
    if (!content_type.empty()) {
        out += "Content-Type: ";
        out += content_type;
        out += "\r\n";
    }
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n";
    out += extra_headers;
    out += "\r\n";
    if (with_body) out += body;
    return out;
}

}  // namespace

std::string answer_bytes(const http_request& request, const http_response& response) {
    if (response.status < 200 || response.status > 599 || !fits_a_header(response.content_type)) {
        return refusal_bytes(500);
    }
    return answer(response.status, response.content_type, response.body, request.method != "HEAD");
}

std::string refusal_bytes(int status) {
    const std::string body =
        std::to_string(status) + " " + std::string(reason_phrase(status)) + "\n";
    return answer(status, "text/plain; charset=utf-8", body, true,
                  status == 405 ? "Allow: GET, HEAD\r\n" : "");
}

}  // namespace scenario::tool
