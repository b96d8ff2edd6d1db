#pragma once
// Access to the reference backend started by the CTest fixture: its port, its
// request log and its control surface.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/base64.h"
#include "net/http_client.h"
#include "net/pin_store.h"
#include "core/text.h"

namespace pellaro::test {

inline std::string BackendDir() { return PELLARO_BACKEND_DIR; }

inline int BackendPort() {
    std::ifstream in(BackendDir() + "/port");
    int port = 0;
    in >> port;
    return port;
}

inline std::wstring Url(const std::wstring& host, const std::wstring& path) {
    return L"https://" + host + L":" + std::to_wstring(BackendPort()) + path;
}

inline std::vector<nlohmann::json> BackendLog() {
    std::vector<nlohmann::json> entries;
    std::ifstream in(BackendDir() + "/log.jsonl");
    std::string line;
    while (std::getline(in, line)) {
        const auto entry = nlohmann::json::parse(line, nullptr, false);
        if (!entry.is_discarded()) entries.push_back(entry);
    }
    return entries;
}

// Requests whose path contains the marker.
inline std::vector<nlohmann::json> RequestsWith(const std::string& marker) {
    std::vector<nlohmann::json> found;
    for (const auto& entry : BackendLog())
        if (entry.value("event", "") == "request" && entry.value("path", "").find(marker) != std::string::npos)
            found.push_back(entry);
    return found;
}

inline int Handshakes(const std::string& sni) {
    int count = 0;
    for (const auto& entry : BackendLog())
        if (entry.value("event", "") == "handshake" && entry.value("sni", "") == sni) ++count;
    return count;
}

inline std::string HeaderOf(const nlohmann::json& request, const std::string& name) {
    for (const auto& pair : request.at("headers"))
        if (LowerAscii(pair.at(0).get<std::string>()) == LowerAscii(name)) return pair.at(1).get<std::string>();
    return std::string();
}

// The four pins of the test chain, as the openssl command line computed them.
inline std::vector<std::string> TestPins() {
    std::vector<std::string> pins;
    std::ifstream in(std::string(PELLARO_SOURCE_DIR) + "/tests/backend/certs/pins.txt");
    std::string name, pin;
    while (in >> name >> pin) pins.push_back(pin);
    return pins;
}

inline std::string PinOf(const std::string& name) {
    std::ifstream in(std::string(PELLARO_SOURCE_DIR) + "/tests/backend/certs/pins.txt");
    std::string key, pin;
    while (in >> key >> pin)
        if (key == name) return pin;
    return std::string();
}

// DER of each certificate of a PEM file under tests/backend/certs, in order.
inline std::vector<std::string> ChainDer(const std::string& file) {
    std::ifstream in(std::string(PELLARO_SOURCE_DIR) + "/tests/backend/certs/" + file);
    std::vector<std::string> chain;
    std::string line, base64;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.rfind("-----BEGIN CERTIFICATE", 0) == 0) {
            inside = true;
            base64.clear();
        } else if (line.rfind("-----END CERTIFICATE", 0) == 0) {
            inside = false;
            chain.push_back(Base64Decode(base64));
        } else if (inside) {
            base64 += line;
        }
    }
    return chain;
}

// DER of the first certificate of a PEM file under tests/backend/certs.
inline std::string CertificateDer(const std::string& file) {
    const std::vector<std::string> chain = ChainDer(file);
    return chain.empty() ? std::string() : chain.front();
}

}  // namespace pellaro::test
