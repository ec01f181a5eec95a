#include "ServiceFixture.h"

#include <chrono>

using nlohmann::json;

std::string ServiceFixture::dataDir() {
    return QELVO_DEMO_DATA_DIR;
}

void ServiceFixture::SetUp() {
    qelvo::demo::ServiceOptions options;
    options.port = 0;
    options.dataDir = dataDir();
    options.stallCap = std::chrono::seconds(10);
    std::string error;
    service_ = qelvo::demo::DemoService::create(options, error);
    ASSERT_TRUE(service_) << error;
    ASSERT_GT(service_->bind(), 0);
    runner_ = std::thread([this] { service_->run(); });
    for (int i = 0; i < 500 && !service_->isRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(service_->isRunning());
}

void ServiceFixture::TearDown() {
    if (service_) service_->stop();
    if (runner_.joinable()) runner_.join();
}

httplib::Client ServiceFixture::client() const {
    httplib::Client cli("127.0.0.1", port());
    cli.set_decompress(false);
    cli.set_follow_location(false);
    cli.set_read_timeout(10, 0);
    return cli;
}

httplib::Result ServiceFixture::postOperation(const std::string& body) const {
    auto cli = client();
    return cli.Post("/wcm/qelvo/app/index.aspx", body, "application/x-www-form-urlencoded");
}

json ServiceFixture::operation(const std::string& body) const {
    const auto result = postOperation(body);
    if (!result) return json::value_t::discarded;
    return json::parse(result->body, nullptr, false);
}

json ServiceFixture::control(const std::string& method, const std::string& path, const json& body) const {
    auto cli = client();
    const auto result = method == "GET"      ? cli.Get(path.c_str())
                        : method == "DELETE" ? cli.Delete(path.c_str())
                                             : cli.Post(path.c_str(), body.dump(), "application/json");
    if (!result) return json::value_t::discarded;
    return json::parse(result->body, nullptr, false);
}
