#pragma once

#include "Library/HTTPRequest/HTTPRequest.h"
#include "download/DownCell.h"
#include "download/FileModel.h"
#include "download/FilesDownManage.h"
#include "download/StudeRecordViewCon.h"
#include "platform/device/Device.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/NavigationController.h"
#include "tests/components/ComponentsFixture.h"
#include "tests/support/TempContainer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qelvo::test {

// A download request that never touches the network: the test says when it starts,
// what headers and bytes arrive and how it ends.
class ScriptedRequest : public HTTPRequest {
public:
    using HTTPRequest::HTTPRequest;

    void startAsynchronous() override {
        ++starts;
        setExecuting(true);
    }
    void clearDelegatesAndCancel() override {
        ++cancels;
        setDelegate({});
        setDownloadProgressDelegate({});
        setExecuting(false);
    }

    void receiveHeaders(int status, HTTPHeaders headers) {
        setResponse(status, headers);
        if (auto target = delegate()) {
            target->didReceiveResponseHeaders(*this, headers);
        }
    }
    void receiveBytes(std::int64_t bytes) {
        if (auto target = downloadProgressDelegate()) {
            target->didReceiveBytes(*this, bytes);
        }
    }
    // The body is complete: the partial file becomes the destination, then the engine hears.
    void finish() {
        setExecuting(false);
        platform::FileSystem::writeFileAtomically(downloadDestinationPath(), "video bytes");
        if (auto target = delegate()) {
            target->requestFinished(*this);
        }
    }

    int starts = 0;
    int cancels = 0;
};

// A main window on the manual clock, a fresh container and a download engine of its
// own whose requests are scripted; the downloads screen is shown on a navigation stack.
class DownloadsUiTest : public ComponentsFixture {
protected:
    void SetUp() override {
        ComponentsFixture::SetUp();
        container = std::make_unique<TempContainer>();
        FilesDownManage::Environment environment;
        environment.makeRequest = [this](const std::string& url) {
            auto request = std::make_shared<ScriptedRequest>(url);
            made.push_back(request);
            return request;
        };
        environment.freeDiskSpace = [] { return std::uint64_t{64} * 1024 * 1024 * 1024; };
        environment.onCellularNetwork = [this] { return onCellular; };
        engine = FilesDownManage::create("DownLoad", {"DownLoad/mp4"}, environment);
        platform::RunLoop::main().runUntil([this] { return engine->tempfilesLoaded(); });
    }

    void TearDown() override {
        screen.reset();
        navigation.reset();
        engine.reset();
        made.clear();
        ComponentsFixture::TearDown();
        container.reset();
    }

    static std::string urlOf(const std::string& id) { return "http://127.0.0.1:9/video/" + id + ".mp4"; }

    void add(const std::string& id, const std::string& name) {
        engine->downFileUrl(urlOf(id), id, "mp4", name);
        platform::RunLoop::main().runPending();
    }

    // The request the engine keeps for the video now, and the one it made last.
    std::shared_ptr<ScriptedRequest> requestFor(const std::string& id) const {
        for (const auto& request : engine->downinglist()) {
            auto record = FilesDownManage::recordOf(*request);
            if (record && record->fileName() == id) {
                return std::dynamic_pointer_cast<ScriptedRequest>(request);
            }
        }
        return nullptr;
    }
    std::shared_ptr<FileModel> recordFor(const std::string& id) const {
        auto request = requestFor(id);
        return request ? FilesDownManage::recordOf(*request) : nullptr;
    }

    // A finished download of `megabytes` whose file lies in the target folder.
    void complete(const std::string& id, std::int64_t bytes) {
        auto request = requestFor(id);
        ASSERT_TRUE(request);
        request->receiveHeaders(200, {{"Content-Length", std::to_string(bytes)}});
        request->receiveBytes(bytes);
        request->finish();
        platform::RunLoop::main().runPending();
    }

    void showScreen() {
        screen = std::make_shared<StudeRecordViewCon>("StudeRecordViewCon");
        screen->setDownManage(engine);
        auto root = std::make_shared<platform::ViewController>("root");
        navigation = std::make_shared<platform::NavigationController>(root);
        navigation->setNavigationBarHidden(true);
        window->setRootViewController(navigation);
        navigation->pushViewController(screen, false);
        // The toasts of the adds fade first, so no touch lands on them.
        clock->advance(1.5);
        settle();
    }

    void settle() {
        platform::RunLoop::main().runPending();
        window->layoutIfNeeded();
    }

    std::shared_ptr<DownCell> unfinishedRow(int row) const { return rowOf(*screen->unfinishedTable(), row); }
    std::shared_ptr<DownCell> finishedRow(int row) const { return rowOf(*screen->finishedTable(), row); }
    static std::shared_ptr<DownCell> rowOf(platform::TableView& table, int row) {
        table.layoutIfNeeded();
        return std::dynamic_pointer_cast<DownCell>(table.cellForRowAtIndexPath(platform::IndexPath{0, row}));
    }

    // Entries of the device listing of one kind.
    std::vector<platform::Value> listed(const std::string& kind) {
        std::vector<platform::Value> found;
        const platform::Value shown = device.screen().body;  // the loop reads into it
        for (const auto& view : shown["views"]) {
            if (view["kind"] == kind) {
                found.push_back(view);
            }
        }
        return found;
    }
    platform::DeviceReply tapText(const std::string& text, int index = 0) {
        auto reply = device.tap(platform::Value{{"text", text}, {"index", index}});
        settle();
        return reply;
    }

    std::unique_ptr<TempContainer> container;
    std::shared_ptr<FilesDownManage> engine;
    std::vector<std::shared_ptr<ScriptedRequest>> made;
    bool onCellular = false;
    std::shared_ptr<StudeRecordViewCon> screen;
    std::shared_ptr<platform::NavigationController> navigation;
    platform::Device device;
};

}  // namespace qelvo::test
