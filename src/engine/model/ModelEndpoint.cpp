#include "model/ModelEndpoint.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <charconv>
#include <cstring>
#include <netinet/in.h>

namespace engine {

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool isHostNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
}

std::optional<int> parsePort(std::string_view text) {
    int port = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || port < 1 ||
        port > 65535) {
        return std::nullopt;
    }
    return port;
}

bool isIpv6Literal(const std::string& host) {
    in6_addr address{};
    return inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

// Splits "host[:port]" or "[v6][:port]" into host and port text.
bool splitAuthority(std::string_view authority, std::string& host, std::string_view& port) {
    if (authority.starts_with('[')) {
        auto close = authority.find(']');
        if (close == std::string_view::npos) {
            return false;
        }
        host = std::string(authority.substr(1, close - 1));
        auto rest = authority.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) {
            return false;
        }
        port = rest.empty() ? std::string_view() : rest.substr(1);
        return isIpv6Literal(host);
    }
    auto colon = authority.find(':');
    host = lowered(authority.substr(0, colon));
    port = colon == std::string_view::npos ? std::string_view() : authority.substr(colon + 1);
    if (colon != std::string_view::npos && port.empty()) {
        return false;
    }
    return !host.empty() && std::all_of(host.begin(), host.end(), isHostNameCharacter);
}

std::string normalisedPath(std::string_view path) {
    std::string out(path);
    while (out.ends_with('/')) {
        out.pop_back();
    }
    if (out.ends_with("/v1")) {
        out.resize(out.size() - 3);
    }
    return out;
}

} // namespace

std::optional<ModelEndpoint> ModelEndpoint::parse(std::string_view url) {
    while (!url.empty() && std::isspace(static_cast<unsigned char>(url.front()))) {
        url.remove_prefix(1);
    }
    while (!url.empty() && std::isspace(static_cast<unsigned char>(url.back()))) {
        url.remove_suffix(1);
    }
    auto unprintable = [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f;
    };
    if (std::any_of(url.begin(), url.end(), unprintable)) {
        return std::nullopt;
    }
    ModelEndpoint endpoint;
    endpoint.scheme = "http";
    if (auto separator = url.find("://"); separator != std::string_view::npos) {
        endpoint.scheme = lowered(url.substr(0, separator));
        url.remove_prefix(separator + 3);
    }
    if (endpoint.scheme != "http" && endpoint.scheme != "https") {
        return std::nullopt;
    }
    // User info, queries and fragments have no place in a base URL; "@" also hides hosts.
    if (url.find_first_of("@?#\\") != std::string_view::npos) {
        return std::nullopt;
    }
    auto slash = url.find('/');
    auto authority = url.substr(0, slash);
    auto path = slash == std::string_view::npos ? std::string_view() : url.substr(slash);
    std::string_view portText;
    if (!splitAuthority(authority, endpoint.host, portText)) {
        return std::nullopt;
    }
    if (portText.empty()) {
        endpoint.port = endpoint.scheme == "https" ? 443 : 80;
    } else if (auto port = parsePort(portText)) {
        endpoint.port = *port;
    } else {
        return std::nullopt;
    }
    endpoint.basePath = normalisedPath(path);
    return endpoint;
}

bool ModelEndpoint::isLoopback() const {
    if (host == "localhost") {
        return true;
    }
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
        if (IN6_IS_ADDR_LOOPBACK(&v6)) {
            return true;
        }
        return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
    }
    return false;
}

bool ModelEndpoint::sameServer(std::string_view a, std::string_view b) {
    auto left = parse(a);
    auto right = parse(b);
    auto host = [](const std::string& name) {
        return name == "localhost" ? std::string("127.0.0.1") : name;
    };
    return left && right && left->scheme == right->scheme &&
           host(left->host) == host(right->host) && left->port == right->port &&
           left->basePath == right->basePath;
}

} // namespace engine
