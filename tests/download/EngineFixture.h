#pragma once

#include "Library/HTTPRequest/HTTPRequest.h"
#include "components/Toast.h"
#include "download/DownloadDelegate.h"
#include "download/FileModel.h"
#include "download/FilesDownManage.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "storage/CommonHelper.h"
#include "tests/support/LogWatch.h"
#include "tests/support/PlatformState.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qelvo::test {

// A request that does nothing by itself: the test plays the server's part, with the
// callbacks the real request delivers on the main thread, in the same order.
class ScriptedRequest : public HTTPRequest {
public:
    explicit ScriptedRequest(std::string url) : HTTPRequest(std::move(url)) {}

    void startAsynchronous() override {
        ++startCount;
        setExecuting(true);
    }
    void clearDelegatesAndCancel() override {
        ++cancelCount;
        setDelegate({});
        setDownloadProgressDelegate({});
        setError(HTTPRequestError{"HTTPRequestErrorDomain", HTTPRequestErrorCode::Cancelled, "The request was cancelled"});
        setExecuting(false);
    }

    bool detached() const { return !delegate() && !downloadProgressDelegate(); }

    // The response's headers are in.
    void respond(int status, const HTTPHeaders& headers) {
        setResponse(status, headers);
        if (const auto target = delegate()) {
            target->didReceiveResponseHeaders(*this, headers);
        }
    }
    // A progress report; bytes of the file also land in the partial file (an error page's never do).
    void receive(std::int64_t bytes) {
        if (responseHoldsFile()) {
            append(temporaryFileDownloadPath(), static_cast<std::size_t>(bytes));
        }
        if (const auto target = downloadProgressDelegate()) {
            target->didReceiveBytes(*this, bytes);
        }
    }
    // The body is complete: the partial file becomes the destination (unless the answer was an
    // error page), then the delegate hears of it while the request still counts as executing.
    void finish() {
        if (responseHoldsFile()) {
            platform::FileSystem::remove(downloadDestinationPath());
            if (!platform::FileSystem::rename(temporaryFileDownloadPath(), downloadDestinationPath())) {
                append(downloadDestinationPath(), 1);
            }
        }
        if (const auto target = delegate()) {
            target->requestFinished(*this);
        }
        setExecuting(false);
    }
    void fail(HTTPRequestErrorCode code, std::string description, bool diskFull = false) {
        setError(HTTPRequestError{"HTTPRequestErrorDomain", code, std::move(description), diskFull});
        if (const auto target = delegate()) {
            target->requestFailed(*this);
        }
        setExecuting(false);
    }

    int startCount = 0;
    int cancelCount = 0;

private:
    static void append(const std::string& path, std::size_t bytes) {
        if (path.empty()) {
            return;
        }
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << std::string(bytes, 'v');
    }
};

// The downloads screen's part: counts what the engine tells it.
class RecordingDelegate : public DownloadDelegate {
public:
    void updateCellProgress(HTTPRequest& /*request*/) override { ++updates; }
    void finishedDownload(HTTPRequest& request) override { finished.push_back(request.url()); }

    int updates = 0;
    std::vector<std::string> finished;
};

// A fresh container, a window for toasts, the main loop on a manual clock, and an
// engine whose requests are scripted and whose free space and network are set here.
class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Log::shared().setEcho(false);
        qelvo::test::PlatformState::reset();
        clock = std::make_shared<platform::ManualClock>();
        platform::RunLoop::main().setClock(clock);
        container = std::make_unique<TempContainer>();
        window = platform::View::create<platform::Window>(platform::Screen::bounds());
        window->makeKeyAndVisible();
        log.start();
    }

    void TearDown() override {
        if (engine) {
            waitForRebuild();
        }
        engine.reset();
        window.reset();
        qelvo::test::PlatformState::reset();
        container.reset();
    }

    FilesDownManage::Environment environment() {
        FilesDownManage::Environment env;
        env.makeRequest = [this](const std::string& url) {
            auto request = std::make_shared<ScriptedRequest>(url);
            made.push_back(request);
            return request;
        };
        env.freeDiskSpace = [this] { return freeSpace; };
        env.onCellularNetwork = [this] { return cellular; };
        return env;
    }

    // Creates the engine and lets its rebuild of the unfinished list land.
    std::shared_ptr<FilesDownManage> startEngine() {
        engine = FilesDownManage::create("DownLoad", {"DownLoad/mp4"}, environment());
        delegate = std::make_shared<RecordingDelegate>();
        engine->setDownloadDelegate(delegate);
        waitForRebuild();
        return engine;
    }

    void waitForRebuild() {
        platform::RunLoop::main().runUntil([this] { return engine->tempfilesLoaded(); }, 10.0);
    }

    // A video of the demo service, added as the course detail screen adds it.
    void add(const std::string& id) {
        engine->downFileUrl("http://127.0.0.1:8080/video/" + id + ".mp4", id, "mp4", "课程" + id);
    }

    // The request in the engine's list for a file identifier.
    std::shared_ptr<ScriptedRequest> requestFor(const std::string& id) const {
        for (const auto& request : engine->downinglist()) {
            const auto record = FilesDownManage::recordOf(*request);
            if (record && record->fileName() == id) {
                return std::dynamic_pointer_cast<ScriptedRequest>(request);
            }
        }
        return nullptr;
    }

    std::shared_ptr<FileModel> recordFor(const std::string& id) const {
        for (const auto& record : engine->filelist()) {
            if (record->fileName() == id) {
                return record;
            }
        }
        return nullptr;
    }

    // "downloading", "waiting", "stopped" or "failed".
    std::string stateOf(const std::string& id) const {
        const auto record = recordFor(id);
        if (!record) {
            return "absent";
        }
        switch (record->state()) {
            case FileModel::State::Failed: return "failed";
            case FileModel::State::Downloading: return "downloading";
            case FileModel::State::Waiting: return "waiting";
            case FileModel::State::Stopped: break;
        }
        return "stopped";
    }

    std::string lastToast() const {
        const auto texts = Toast::visibleToastTexts();
        return texts.empty() ? std::string() : texts.back();
    }

    std::vector<std::string> logLines() const { return log.lines(); }
    bool logged(const std::string& line) const { return log.saw(line); }

    std::string documents() const { return CommonHelper::getDocumentPath(); }
    std::string tempFolder() const { return documents() + "/DownLoad/Temp"; }
    std::string targetFolder() const { return documents() + "/DownLoad/mp4"; }

    static void writeFile(const std::string& path, const std::string& bytes) {
        platform::FileSystem::createDirectories(platform::FileSystem::deletingLastPathComponent(path));
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::shared_ptr<platform::ManualClock> clock;
    std::unique_ptr<TempContainer> container;
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<FilesDownManage> engine;
    std::shared_ptr<RecordingDelegate> delegate;
    std::vector<std::shared_ptr<ScriptedRequest>> made;
    std::uint64_t freeSpace = 10ULL * 1024 * 1024 * 1024;
    bool cellular = false;
    LogWatch log;
};

}  // namespace qelvo::test
