#pragma once

namespace qelvo::demo::paths {

// Addresses of the service, as the client and its course and article links use them.
inline constexpr const char* kOperations = "/wcm/qelvo/app/index.aspx";
inline constexpr const char* kCoursePage = "/wcm/qelvo/app/courseDetail.aspx";
inline constexpr const char* kArticlePage = "/wcm/qelvo/app/newsDetail.aspx";
inline constexpr const char* kFeedbackPage = "/wcm/qelvo/app/yijian.aspx";
inline constexpr const char* kAboutPage = "/wcm/qelvo/app/GuanYuWoMen.aspx";
inline constexpr const char* kContactPage = "/wcm/qelvo/app/LianXiWoMen.aspx";

}  // namespace qelvo::demo::paths
