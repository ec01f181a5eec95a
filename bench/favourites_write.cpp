// Adding the 1000th favourite: collectShopItem reads the whole favourites file,
// appends and writes it back atomically. Measured next to one plain atomic write
// of the same 1000-entry list, in the same run, so the ratio shows what the
// read-modify-write costs on top of the write itself. Also prints the parts of
// the work (parse, serialise, atomic file write) to show where the time goes.

#include "platform/foundation/Container.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "storage/FileManagerUtil.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using platform::Value;

const int kStored = 999;
const int kRepetitions = 200;

Value course(int n) {
    const std::string id = std::to_string(100000 + n);
    return Value{{"id", id},
                 {"title", fmt::format("第{}讲 小微企业增值税与企业所得税优惠政策解读", n)},
                 {"image", "http://127.0.0.1:8080/wcm/qelvo/upload/images/course_" + id + ".jpg"},
                 {"info", "三分钟读懂最新的税收优惠：适用范围、申报流程与常见误区，附案例讲解。"},
                 {"url", "http://127.0.0.1:8080/wcm/qelvo/app/course/" + id + ".html"},
                 {"detailTitle", "微课程详情"}};
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2.0;
}

double timeMs(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    char pattern[] = "/tmp/qelvo-bench-favourites-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return 1;
    }
    const std::filesystem::path home = pattern;
    platform::Container::shared().setHome(home);
    platform::UserDefaults::standard().load();
    platform::Log::shared().setEcho(false);

    Value stored = Value::array();
    for (int n = 1; n <= kStored; ++n)
        stored.push_back(course(n));
    const Value added = course(kStored + 1);
    Value full = stored;
    full.push_back(added);

    const std::string favourites = FileManagerUtil::getDocumentsPath("collection.plist");
    const std::string plain = FileManagerUtil::getDocumentsPath("plain.plist");
    const std::string initialXml = *platform::PropertyList::toXml(stored);
    const std::string fullXml = *platform::PropertyList::toXml(full);

    std::vector<double> collect, plainWrite, parse, serialise, fileWrite;
    bool ok = true;
    for (int i = 0; i < kRepetitions; ++i) {
        platform::FileSystem::writeFileAtomically(favourites, initialXml);  // untimed restore
        collect.push_back(timeMs([&] { ok = FileManagerUtil::collectShopItem(added) && ok; }));
        plainWrite.push_back(
            timeMs([&] { ok = platform::PropertyList::writeAtomically(full, plain) && ok; }));
        parse.push_back(
            timeMs([&] { benchmark::DoNotOptimize(platform::PropertyList::fromXml(initialXml)); }));
        serialise.push_back(timeMs([&] { benchmark::DoNotOptimize(platform::PropertyList::toXml(full)); }));
        fileWrite.push_back(
            timeMs([&] { ok = platform::FileSystem::writeFileAtomically(plain, fullXml) && ok; }));
        platform::Log::shared().clear();
    }
    const bool complete = platform::FileSystem::readFile(favourites) == fullXml;

    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    if (!ok || !complete) {
        fmt::print(stderr, "favourites_write: a write failed or stored the wrong content\n");
        return 1;
    }

    const double collectMs = median(collect);
    const double plainMs = median(plainWrite);
    fmt::print("file: {} entries, {} bytes; {} repetitions\n", kStored + 1, fullXml.size(), kRepetitions);
    fmt::print("parts (median ms): parse={:.3f} serialise={:.3f} atomic_file_write={:.3f}\n", median(parse),
               median(serialise), median(fileWrite));
    fmt::print("favourites_write: collect_median_ms={:.3f} plain_write_median_ms={:.3f} ratio={:.2f}\n",
               collectMs, plainMs, collectMs / plainMs);
    return 0;
}
