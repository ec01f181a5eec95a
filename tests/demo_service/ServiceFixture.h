#pragma once

#include "DemoService.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <thread>

// Starts a fresh demo service on a free loopback port for each test and stops it after.
class ServiceFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    qelvo::demo::DemoService& service() { return *service_; }
    int port() const { return service_->port(); }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port()); }

    // A client that leaves bodies as they came (no decompression) and does not follow redirects.
    httplib::Client client() const;

    // Posts a form body to the operation endpoint exactly as given; the reply as JSON
    // (discarded when it is not JSON).
    nlohmann::json operation(const std::string& body) const;
    httplib::Result postOperation(const std::string& body) const;

    // A control call with a JSON body; returns the reply.
    nlohmann::json control(const std::string& method, const std::string& path,
                           const nlohmann::json& body = {}) const;

    static std::string dataDir();

private:
    std::unique_ptr<qelvo::demo::DemoService> service_;
    std::thread runner_;
};
