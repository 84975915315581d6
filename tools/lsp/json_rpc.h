// JSON-RPC 2.0 as the editor protocol uses it: what an incoming message is, and the answers and
// notifications the server sends. Pure code over nlohmann-json.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/json.h"

namespace scenario::tool::rpc {

// The protocol's error codes.
enum error_code : int {
    parse_error = -32700,
    invalid_request = -32600,
    method_not_found = -32601,
    invalid_params = -32602,
    internal_error = -32603,
    server_not_initialized = -32002,
    request_cancelled = -32800,
    content_modified = -32801,
};

struct incoming {
    enum class kind { request, notification, response, invalid };
    kind what = kind::invalid;
    json id;  // requests and responses; null when it could not be read
    std::string method;
    json params;  // null when absent
};

// What a parsed message is; a value that is neither a request, a notification nor a response is
// invalid (with the id when one can be read, for the error answer).
incoming classify(json message);

json response(const json& id, json result);
json error_response(const json& id, int code, std::string_view message);
json notification(std::string_view method, json params);

// The body of a message as it goes out: compact, with every character that is not ASCII
// escaped nowhere (UTF-8), and invalid UTF-8 from a text replaced rather than refused.
std::string serialized(const json& message);

}  // namespace scenario::tool::rpc
