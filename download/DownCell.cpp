#include "download/DownCell.h"

#include "components/BrandColor.h"
#include "download/FileModel.h"
#include "platform/foundation/Json.h"
#include "storage/CommonHelper.h"

#include <fmt/format.h>

#include <string>

namespace {

// The leading number of a text, as the platform's integerValue and floatValue read
// it: "100.00MB" is 100 and 100.0, "0.80MB" is 0 and 0.8, text without a number is 0.
long long leadingInteger(const std::string& text) {
    return platform::Json::longLongValue(text);
}

float leadingNumber(const std::string& text) {
    return static_cast<float>(platform::Json::doubleValue(text));
}

platform::Value sizeValue(const FileModel::Text& size) {
    return size ? platform::Value(*size) : platform::Value(nullptr);
}

}  // namespace

DownCell::DownCell(std::string reuseIdentifier)
    : platform::TableViewCell(platform::CellStyle::Default, std::move(reuseIdentifier)) {
    namelabel = platform::View::create<platform::Label>(platform::Rect::make(15, 10, 225, 24));
    namelabel->setFont(platform::Font::systemFont(15));
    namelabel->setTextColor(platform::Color::white(0.2));
    contentView()->addSubview(namelabel);

    introLabel = platform::View::create<platform::Label>(platform::Rect::make(15, 40, 225, 20));
    introLabel->setFont(platform::Font::systemFont(12));
    introLabel->setTextColor(platform::Color::white(0.5));
    contentView()->addSubview(introLabel);

    operateButton = platform::View::create<platform::Button>(platform::Rect::make(250, 19, 56, 32));
    operateButton->setTitleColor(brandColor(), platform::ControlStateNormal);
    operateButton->titleLabel()->setFont(platform::Font::systemFont(14));
    operateButton->setBorderWidth(1);
    operateButton->setBorderColor(brandColor());
    operateButton->setCornerRadius(4);
    contentView()->addSubview(operateButton);
}

std::shared_ptr<DownCell> DownCell::create(std::string reuseIdentifier) {
    return platform::View::create<DownCell>(std::move(reuseIdentifier));
}

std::string DownCell::finishedText(const FileModel& record) {
    return fmt::format("{}  (100%)", CommonHelper::getFileSizeString(sizeValue(record.fileSize())));
}

std::string DownCell::progressText(const FileModel& record) {
    std::string total = CommonHelper::getFileSizeString(sizeValue(record.fileSize()));
    if (leadingInteger(total) < 1) {
        return "(0MB/0MB) 0%";
    }
    std::string received = CommonHelper::getFileSizeString(sizeValue(record.fileReceivedSize()));
    auto percent = static_cast<int>(leadingNumber(received) / leadingNumber(total) * 100.0F);
    if (percent > 100) {
        percent = 100;
        received = total;
    }
    return fmt::format("{}/{} ({}%)", received, total, percent);
}

std::string DownCell::operateCaption(const FileModel& record) {
    switch (record.state()) {
        case FileModel::State::Downloading: return "暂停";
        case FileModel::State::Waiting: return "等待";
        case FileModel::State::Stopped:
        case FileModel::State::Failed: break;
    }
    return "下载";
}

void DownCell::showFinished(const std::shared_ptr<FileModel>& record) {
    fileInfo = record;
    namelabel->setText(record ? record->fileByName().value_or("") : "");
    introLabel->setText(record ? finishedText(*record) : "");
}

void DownCell::showUnfinished(const std::shared_ptr<FileModel>& record) {
    fileInfo = record;
    namelabel->setText(record ? record->fileByName().value_or("") : "");
    introLabel->setText(record ? progressText(*record) : "");
    operateButton->setTitle(record ? operateCaption(*record) : "下载", platform::ControlStateNormal);
}

void DownCell::layoutSubviews() {
    platform::TableViewCell::layoutSubviews();
    setBackgroundColor(platform::Color::clear());
    if (const auto& confirmation = deleteConfirmationButton()) {
        bringSubviewToFront(*confirmation);
    }
}
