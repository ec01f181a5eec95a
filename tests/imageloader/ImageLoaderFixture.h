#pragma once

#include "imageloader/ImageCache.h"
#include "imageloader/WebImageDownloader.h"
#include "imageloader/WebImageManager.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "tests/image/PictureBytes.h"
#include "tests/net/NetTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace qelvo::test {

// A picture server on loopback: fixed bodies per path, a count of the requests of
// each path, and paths held back until the test releases them.
class PictureServer {
public:
    PictureServer() {
        server_.server().Get(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
            std::string body;
            int status = 404;
            {
                std::unique_lock lock(mutex_);
                ++hits_[request.path];
                accepts_[request.path] = request.get_header_value("Accept");
                ++inFlight_;
                changed_.notify_all();
                changed_.wait_for(lock, std::chrono::seconds(20),
                                  [&] { return stopping_ || !held_.contains(request.path); });
                --inFlight_;
                if (auto found = bodies_.find(request.path); found != bodies_.end()) {
                    body = found->second.second;
                    status = found->second.first;
                }
            }
            response.status = status;
            response.set_content(body, "image/png");
        });
        server_.start();
    }
    ~PictureServer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        server_.stop();
    }

    void serve(const std::string& path, std::string body, int status = 200) {
        std::lock_guard lock(mutex_);
        bodies_[path] = {status, std::move(body)};
    }
    void hold(const std::string& path) {
        std::lock_guard lock(mutex_);
        held_[path] = true;
    }
    void release(const std::string& path) {
        {
            std::lock_guard lock(mutex_);
            held_.erase(path);
        }
        changed_.notify_all();
    }
    int hits(const std::string& path) {
        std::lock_guard lock(mutex_);
        return hits_[path];
    }
    int inFlight() {
        std::lock_guard lock(mutex_);
        return inFlight_;
    }
    std::string accept(const std::string& path) {
        std::lock_guard lock(mutex_);
        return accepts_[path];
    }
    std::string url(const std::string& path) const { return server_.url(path); }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::pair<int, std::string>> bodies_;
    std::map<std::string, bool> held_;
    std::map<std::string, int> hits_;
    std::map<std::string, std::string> accepts_;
    int inFlight_ = 0;
    bool stopping_ = false;
    qelvo::testing::LoopbackServer server_;
};

// A shared manager over a cache in a scratch folder and a fresh downloader, on the
// main loop of this thread; everything is put back afterwards.
class ImageLoaderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Log::shared().setEcho(false);
        platform::RunLoop::main().adoptCurrentThread();
        platform::RunLoop::main().reset();
        std::string pattern = (std::filesystem::temp_directory_path() / "qelvo-imageloader-XXXXXX").string();
        folder = ::mkdtemp(pattern.data()) ? pattern : std::string();
        cache = std::make_shared<ImageCache>("default", folder);
        downloader = std::make_shared<WebImageDownloader>();
        manager = std::make_shared<WebImageManager>(cache, downloader);
        WebImageManager::setSharedManager(manager);
        placeholder = std::make_shared<platform::Image>("placeholder.png", platform::Size{10, 10});
    }

    void TearDown() override {
        manager->cancelAll();
        cache->waitForDiskQueue();
        WebImageManager::setSharedManager(nullptr);
        platform::RunLoop::main().reset();
        platform::RunLoop::main().setClock(std::make_shared<platform::RealClock>());
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::shared_ptr<platform::ImageView> makeView() {
        return platform::View::create<platform::ImageView>(platform::Rect::make(0, 0, 50, 50));
    }

    // Runs the main loop until the view shows something other than the placeholder.
    bool waitForPicture(const std::shared_ptr<platform::ImageView>& view) {
        return platform::RunLoop::main().runUntil([&] { return view->image() != placeholder; }, 10.0);
    }

    bool waitUntilIdle() {
        return platform::RunLoop::main().runUntil([&] { return !manager->isRunning(); }, 10.0);
    }

    std::string folder;
    std::shared_ptr<ImageCache> cache;
    std::shared_ptr<WebImageDownloader> downloader;
    std::shared_ptr<WebImageManager> manager;
    std::shared_ptr<platform::Image> placeholder;
    PictureServer server;
};

}  // namespace qelvo::test
