#include "lsp/json_rpc.h"

namespace scenario::tool::rpc {
namespace {

bool valid_id(const json& id) { return id.is_string() || id.is_number_integer(); }

}  // namespace

incoming classify(json message) {
    incoming in;
    if (!message.is_object()) return in;
    const auto id = message.find("id");
    if (id != message.end() && valid_id(*id)) in.id = *id;
    const auto version = message.find("jsonrpc");
    if (version == message.end() || *version != "2.0") return in;
    const auto params = message.find("params");
    const auto method = message.find("method");
    if (method == message.end()) {
        // An answer to a request of the server's (it sends none that wait for one).
        const bool answer = message.contains("result") || message.contains("error");
        if (answer && id != message.end()) in.what = incoming::kind::response;
        return in;
    }
    if (!method->is_string()) return in;
    if (params != message.end() && !params->is_object() && !params->is_array()) return in;
    if (id != message.end() && !valid_id(*id)) return in;
    in.method = method->get<std::string>();
    if (params != message.end()) in.params = std::move(*params);
    in.what = id == message.end() ? incoming::kind::notification : incoming::kind::request;
    return in;
}

json response(const json& id, json result) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

json error_response(const json& id, int code, std::string_view message) {
    return {{"jsonrpc", "2.0"},
            {"id", id},
            {"error", {{"code", code}, {"message", std::string(message)}}}};
}

json notification(std::string_view method, json params) {
    return {{"jsonrpc", "2.0"}, {"method", std::string(method)}, {"params", std::move(params)}};
}

std::string serialized(const json& message) {
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace scenario::tool::rpc
