#include "platform/foundation/Json.h"
#include "platform/media/MoviePlayerViewController.h"

#include "download/VideoPlayerViewController.h"
#include "platform/device/ScreenReader.h"
#include "platform/foundation/FileSystem.h"
#include "platform/ui/Application.h"
#include "tests/components/ComponentsFixture.h"

#include <optional>
#include <string>
#include <vector>

namespace qelvo::test {
namespace {

using platform::InterfaceOrientation;
using platform::MoviePlayerViewController;

class MoviePlayerTest : public ComponentsFixture {
protected:
    void SetUp() override {
        ComponentsFixture::SetUp();
        root = std::make_shared<platform::ViewController>("root");
        window->setRootViewController(root);
        folder = resources;  // a scratch folder removed after the test
    }

    // A file that plays for `seconds` on the simulated stream.
    std::string videoOf(double seconds) {
        std::string path = folder + "/lesson.mp4";
        std::string bytes(static_cast<std::size_t>(seconds * MoviePlayerViewController::kBytesPerSecond),
                          'v');
        EXPECT_TRUE(platform::FileSystem::writeFileAtomically(path, bytes));
        return path;
    }

    template <typename Player>
    std::shared_ptr<Player> present(const std::string& path) {
        auto player = std::make_shared<Player>(path);
        player->setPlaybackDidFinish(
            [this](const std::optional<std::string>& error) { finishes.push_back(error); });
        root->presentViewController(player, true);
        clock->advance(platform::ViewController::kTransitionDuration);
        platform::RunLoop::main().runPending();
        return player;
    }

    std::shared_ptr<platform::ViewController> root;
    std::string folder;
    std::vector<std::optional<std::string>> finishes;
};

TEST_F(MoviePlayerTest, PlaysAnOpenedFileOnTheClockToItsEnd) {
    auto player = present<MoviePlayerViewController>("file://" + videoOf(3));
    EXPECT_EQ(player->filePath(), folder + "/lesson.mp4") << "the file URL names the local path";
    EXPECT_EQ(player->fileName(), "lesson.mp4");
    EXPECT_TRUE(player->isPlaying());
    EXPECT_DOUBLE_EQ(player->duration(), 3.0);
    EXPECT_DOUBLE_EQ(player->currentPlaybackTime(), 0.0);

    clock->advance(1.0);
    EXPECT_DOUBLE_EQ(player->currentPlaybackTime(), 1.0);
    EXPECT_EQ(player->moviePlayerView()->timeLabel()->text(), "00:01 / 00:03");
    player->pause();
    clock->advance(5.0);
    EXPECT_DOUBLE_EQ(player->currentPlaybackTime(), 1.0) << "paused time stands still";
    EXPECT_TRUE(finishes.empty());

    ASSERT_TRUE(player->play());
    clock->advance(2.0);
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->playbackState(), platform::MoviePlaybackState::Stopped);
    EXPECT_DOUBLE_EQ(player->currentPlaybackTime(), 3.0);
    ASSERT_EQ(finishes.size(), 1u);
    EXPECT_FALSE(finishes[0]) << "the end of the file is no error";
    EXPECT_FALSE(player->playbackError());
    EXPECT_EQ(root->presentedViewController(), player) << "the player stays until it is closed";
}

TEST_F(MoviePlayerTest, AMissingFileEndsPlaybackWithAnErrorOnScreen) {
    auto player = present<MoviePlayerViewController>(folder + "/gone.mp4");
    EXPECT_FALSE(player->isPlaying());
    ASSERT_TRUE(player->playbackError());
    EXPECT_EQ(*player->playbackError(), MoviePlayerViewController::kFileMissingError);
    ASSERT_EQ(finishes.size(), 1u);
    EXPECT_EQ(finishes[0], player->playbackError());
    EXPECT_FALSE(player->play());
    EXPECT_EQ(finishes.size(), 2u);

    platform::ScreenReader reader(*window);
    bool errorShown = false;
    for (const auto& entry : reader.views()) {
        errorShown = errorShown || entry.value("text", "") == MoviePlayerViewController::kFileMissingError;
    }
    EXPECT_TRUE(errorShown);
}

TEST_F(MoviePlayerTest, TheCloseControlStopsAndDismissesThePlayer) {
    auto player = present<MoviePlayerViewController>(videoOf(10));
    auto& done = *player->moviePlayerView()->doneButton();
    EXPECT_EQ(done.currentTitle(), "完成");
    done.sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_FALSE(player->isPlaying());
    clock->advance(platform::ViewController::kTransitionDuration);
    platform::RunLoop::main().runPending();
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_TRUE(window->presentedControllers().empty());
    double stoppedAt = player->currentPlaybackTime();
    clock->advance(3.0);
    EXPECT_DOUBLE_EQ(player->currentPlaybackTime(), stoppedAt);
}

TEST_F(MoviePlayerTest, TheListingShowsOneMovieEntryNamedAfterTheFile) {
    auto player = present<MoviePlayerViewController>(videoOf(4));
    clock->advance(2.0);
    platform::ScreenReader reader(*window);
    std::vector<platform::Value> movies;
    for (const auto& entry : reader.views()) {
        if (entry["kind"] == "movie") {
            movies.push_back(entry);
        }
    }
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0]["text"], "lesson.mp4");
    EXPECT_EQ(movies[0]["playing"], true);
    EXPECT_DOUBLE_EQ(movies[0]["time"].get<double>(), 2.0);
    EXPECT_DOUBLE_EQ(movies[0]["duration"].get<double>(), 4.0);
}

TEST_F(MoviePlayerTest, TheVideoPlayerTurnsToLandscapeOnlyWhileTheApplicationKeepsPortraitToo) {
    auto player = present<VideoPlayerViewController>(videoOf(2));
    EXPECT_TRUE(player->shouldAutorotate());
    EXPECT_EQ(player->supportedInterfaceOrientations(), 24u);
    EXPECT_EQ(VideoPlayerViewController::applicationSupportedInterfaceOrientations(), 26u);
    EXPECT_TRUE(player->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeRight));
    EXPECT_TRUE(player->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(player->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::Portrait));
    EXPECT_FALSE(player->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::PortraitUpsideDown));

    auto& app = platform::Application::shared();
    EXPECT_TRUE(app.rotateTo(InterfaceOrientation::LandscapeLeft));
    EXPECT_TRUE(app.rotateTo(InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(app.rotateTo(InterfaceOrientation::Portrait));
    EXPECT_FALSE(app.rotateTo(InterfaceOrientation::PortraitUpsideDown));
}

}  // namespace
}  // namespace qelvo::test
