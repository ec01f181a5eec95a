#pragma once

// Where a loaded picture came from.
enum class ImageCacheType { None = 0, Disk = 1, Memory = 2 };
